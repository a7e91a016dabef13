#pragma once
/// The rows of the backup list: one per backup summary, in the order given
/// (the catalogue's, newest first). Column 0 shows the lock or backup icon and
/// the display name, column 1 the last backup date, column 2 the serial
/// number. Header texts come from the language section "PageItunesBackup".

#include "backup/BackupInfo.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <vector>

namespace orvelle::gui {

class BackupListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NameColumn = 0, DateColumn = 1, SerialColumn = 2, ColumnCount = 3 };
    enum Role {
        EncryptedRole = Qt::UserRole, ///< bool: the backup is encrypted
        IconNameRole,                 ///< QString: the skin icon of the row ("lock" or "backup")
        FolderRole,                   ///< QString: the backup folder
    };
    /// Every row is this high, so the view can skip measuring rows.
    static constexpr int kRowHeight = 40;

    explicit BackupListModel(QObject* parent = nullptr);

    void setBackups(std::vector<BackupInfo> backups);
    /// The backup of `row`; nullptr outside the list.
    const BackupInfo* backupAt(int row) const;
    /// The header texts changed (the language was switched).
    void refreshHeaders();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<BackupInfo> m_backups;
    QIcon m_lockIcon;
    QIcon m_backupIcon;
};

} // namespace orvelle::gui
