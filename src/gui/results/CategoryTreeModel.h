#pragma once
/// The category tree of the result views: two group rows ("Photos &
/// Videos", "Messages & Call logs") and under them one row per option ticked
/// on the category page, in the category page's order. A category row shows
/// its label with the scan's count ("Camera Roll (12)"), its icon and a
/// tri-state tick box that mirrors the category's tally node; ticking it
/// ticks or unticks every item of the category in the tally.
///
/// Rows never come and go during a scan: the view hides the rows without
/// results (rowIsShown) and the counts change through dataChanged.
///
/// A category is offered for reading (isReadable) only once the scan is
/// past it: the worker fills a category's container while it runs, so a
/// count above 0 alone does not mean the container is final.

#include "core/Categories.h"

#include <QAbstractItemModel>
#include <QIcon>

#include <array>
#include <cstdint>
#include <vector>

namespace orvelle {
class ScanRun;
}

namespace orvelle::gui {

class CategoryTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Role { KindRole = Qt::UserRole + 1, CountRole };

    explicit CategoryTreeModel(QObject* parent = nullptr);

    /// Empties the tree and builds the rows for a scan of `run` with the
    /// options `ticked` (by position in kCategories); every count starts at 0.
    void setScan(ScanRun* run, const std::array<bool, kCategories.size()>& ticked);
    /// Empties the tree (no scan).
    void clear();

    /// Reads the counts from the scan and announces the rows whose label or
    /// state changed. Returns true when anything changed.
    bool refreshCounts();
    /// Records that the scan is past `kind` (it announced the category).
    void markComplete(ItemKind kind);
    /// Announces new tick states of `kind`'s row.
    void refreshTicks(ItemKind kind);
    /// Announces new tick states and labels of every row (language or tally readability changed).
    void refreshAll();

    /// The row of `kind`, or an invalid index.
    QModelIndex indexOf(ItemKind kind) const;
    /// The category of a row (ItemKind::None for groups).
    ItemKind kindAt(const QModelIndex& index) const;
    /// True for a category row whose category has results, or could not be
    /// read (the row then says so: an empty category is never silent about it).
    bool rowIsShown(const QModelIndex& index) const;
    /// True for a category row whose container the scan has finished filling.
    bool isReadable(const QModelIndex& index) const;
    /// The first category row with results that can be read, in tree order.
    QModelIndex firstReadable() const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    /// A category's tick box changed the tally (every item of `kind` was ticked or unticked).
    void ticksChanged(ItemKind kind);

private:
    struct Node {
        std::size_t category = 0; ///< position in kCategories
        std::uint32_t count = 0;
        bool complete = false;
    };
    static constexpr int kGroups = 2;

    const Node* nodeAt(const QModelIndex& index) const;
    QString label(const Node& node) const;
    bool isComplete(ItemKind kind) const;
    /// The category's database or files could not be read (the node says so, with the reason as its tip).
    bool unreadable(ItemKind kind) const;

    ScanRun* m_run = nullptr;
    std::array<std::vector<Node>, kGroups> m_nodes;
    std::vector<ItemKind> m_completeKinds;
};

} // namespace orvelle::gui
