#pragma once
/// The item list of the result views: one row per record of the shown
/// category, read from the scan's containers in data(); nothing is built per
/// row, so a category of hundreds of thousands of items opens at once.
/// App Photos and App Videos open at the app level (one row per app, whose
/// tick box is the app's tally node); openApp() lists one app's files.
///
/// Columns follow the category. Column 0 carries the tick box, read from and
/// written to the scan's selection tally (never copied here), the row icon
/// (a file's type by its extension, an app's folder, or the deleted marker)
/// and, for deleted records, the orange text colour.
///
/// Two filters narrow the rows: the deleted-only switch (only rows whose
/// record is deleted, for the database categories) and a search (rows where
/// any column contains the text, ignoring case). While either is on the model
/// keeps the container positions of the rows left.

#include "core/Categories.h"
#include "gui/results/ItemSearchFilter.h"

#include <QAbstractTableModel>
#include <QIcon>

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace orvelle {
class ScanRun;
struct AppFileRecord;
}

namespace orvelle::gui {

class ItemListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    /// What the rows stand for.
    enum class Level { Items, Apps, AppFiles };
    enum Role {
        DeletedRole = Qt::UserRole + 1, ///< true for a deleted record (a chat with a deleted message)
    };

    explicit ItemListModel(QObject* parent = nullptr);

    /// The scan whose containers are read; empties the list.
    void setRun(ScanRun* run);
    /// Lists `kind` with both filters off (App Photos / App Videos: their apps).
    /// The caller makes sure the scan has finished filling the category.
    void showCategory(ItemKind kind);
    /// At the app level: lists the files of the app in `row`. False when the
    /// row is no app or the app has no files.
    bool openApp(int row);
    /// Empties the list.
    void clear();

    ItemKind kind() const { return m_kind; }
    Level level() const { return m_level; }

    /// Shows only deleted records (database categories at the item level).
    void setDeletedOnly(bool on);
    bool deletedOnly() const { return m_deletedOnly; }
    /// Shows only rows where some column contains `text`, ignoring case.
    void setSearch(const QString& text);
    QString search() const { return m_search.query(); }
    /// Rows before either filter.
    int unfilteredCount() const { return m_count; }

    /// The tally key of the record in `row` (the record's address; at the app
    /// level the app's file list). By kind: MediaFileRecord (Camera Roll,
    /// Photo Stream, WhatsApp Attachments), AttachmentRecord, AppFileRecord,
    /// MessageRecord / WhatsAppMessageRecord (a chat summary), ContactRecord,
    /// CallRecord, NoteRecord, MessengerChatSummary (QQ, WeChat); at the app
    /// level std::vector<AppFileRecord>.
    const void* recordAt(int row) const;
    /// The row showing the record `key`, or -1.
    int rowOf(const void* key) const;

    /// Suggested width of `column` for the current category (0: the rest).
    int columnWidth(int column) const;

    /// Announces new tick states of every row (a category was ticked, or the
    /// tally became readable).
    void refreshTicks();
    /// Re-reads the texts of the current language (headers and fixed words).
    void applyTexts();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    /// A tick box changed the tally for `kind`.
    void ticksChanged(ItemKind kind);

private:
    struct Column {
        const char* key;      ///< PageScan language key
        const char* fallback; ///< English text
        int width;            ///< 0: the rest
    };
    enum Word { Folder, Incoming, Outgoing, Missed, Canceled, Deleted, Normal, HoursFormat, MinutesFormat, SecondsFormat, Yes, WordCount };

    const std::vector<Column>& columns() const;
    /// Shows nothing of `kind` yet: no list, no filters (call inside a reset).
    void forgetShown(ItemKind kind);
    int sourceRow(int row) const { return m_allRows ? row : m_rows[static_cast<std::size_t>(row)]; }
    const void* recordAtSource(int source) const;
    bool isDeleted(int source) const;
    /// The text of a cell (UTF-8), pointing into the record or into `scratch`.
    std::string_view cell(int source, int column, std::string& scratch) const;
    bool rowMatches(int source) const;
    /// Rebuilds the list of rows left by the filters (reset around it).
    void refilter(bool narrowing);
    QIcon rowIcon(int source) const;
    /// Video, sound or (for everything else) picture, by the name's extension.
    QIcon fileIcon(const std::string& name) const;
    Qt::CheckState checkState(int source) const;

    ScanRun* m_run = nullptr;
    ItemKind m_kind = ItemKind::None;
    Level m_level = Level::Items;
    const void* m_container = nullptr; ///< the shown list (vector of the kind's record)
    std::vector<std::pair<const std::string*, const std::vector<AppFileRecord>*>> m_apps;
    int m_count = 0;
    bool m_deletedOnly = false;
    ItemSearchFilter m_search;
    bool m_allRows = true;
    std::vector<int> m_rows;
    /// A call's duration as the engine words it ("%d Min %d Sec" ...), in the current language.
    std::string localDuration(std::int32_t seconds) const;

    std::array<std::string, WordCount> m_words;
    QIcon m_pictureIcon, m_videoIcon, m_soundIcon, m_folderIcon, m_deletedIcon;
};

} // namespace orvelle::gui
