#pragma once
/// The result half of the scan page: the category tree (`NodeTree`, groups
/// and one node per ticked option with its count and a tri-state tick box),
/// the item list of the selected category (`DataList`, a model/view over the
/// scan's containers with the category's columns, deleted rows in orange),
/// the deleted-only switch (`OptOnOffFilter`, remembered per category), a
/// search field, the statistics line (`LblStatistics`), the preview switch
/// (`OptOnOffPreview`) and the preview pane.
///
/// Tick state lives in the scan's selection tally, never in the views.

#include "core/Categories.h"

#include <QModelIndex>
#include <QWidget>

#include <memory>

namespace orvelle {
class ScanRun;
}

namespace orvelle::gui {

struct ScanChoice;
class PreviewPane;

class ResultsView : public QWidget {
    Q_OBJECT
public:
    explicit ResultsView(QWidget* parent = nullptr);
    ~ResultsView() override;

    /// Empties the views and builds the tree for a new scan of `run` with the
    /// options of `choice` (every category node hidden until it has results).
    void beginScan(ScanRun* run, const ScanChoice& choice);
    /// Refreshes every category node's count and shows the nodes with results.
    void refreshCounts();
    /// Selects the node of `kind` when no node is selected yet.
    void selectFirstCategory(ItemKind kind);
    /// Empties everything (Home).
    void clear();

    /// The category shown in the list (ItemKind::None when none is selected).
    ItemKind currentCategory() const;
    /// True when the deleted-only switch of the shown category is on.
    bool deletedOnly() const;
    /// Refreshes the statistics line from the tally.
    void refreshStatistics();
    PreviewPane* previewPane() const;
    /// Sets the texts of the current language again.
    void applyTexts();

signals:
    /// Ticks or filters changed: the scan page re-applies its Recover rule.
    void tallyChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void resetControls();
    void refreshReadability();
    void updateTreeRows();
    void showCategoryOf(const QModelIndex& node);
    void showCategory(ItemKind kind);
    void applyColumnWidths();
    void selectRow(int row);
    void setPreviewShown(bool shown);
    void previewRow(int row);
    void openApp(int row);
    void backToApps();
    void switchDeletedOnly(bool on);
    void updateFilterCount();
    void applySearch();
    void updateSearchCount();
    void ticksChanged();

    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace orvelle::gui
