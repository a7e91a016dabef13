#include "gui/wizard/BackupListModel.h"

#include "gui/app/LanguageTexts.h"
#include "gui/common/Icons.h"
#include "gui/common/PlainText.h"

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <filesystem>

namespace orvelle::gui {

namespace {

constexpr int kRowIconSide = 26;

/// Engine texts are UTF-8; a name is shown on one line.
QString oneLine(const std::string& text) {
    QString shown = QString::fromStdString(text);
    shown.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return shown;
}

/// A backup whose Info.plist was refused has no name of its own: its folder's
/// name stands in, so the row can still be told apart.
QString shownName(const BackupInfo& backup) {
    if (!backup.displayName.empty() || backup.problem.empty()) return oneLine(backup.displayName);
    return oneLine(std::filesystem::path(backup.folder).filename().string());
}

QString iconName(const BackupInfo& backup) {
    return backup.encrypted ? QStringLiteral("lock") : QStringLiteral("backup");
}

/// The row icon looks the same on a selected row: the style's tinted
/// "selected" picture would wash the lock out.
QIcon rowIcon(const QString& name) {
    QIcon icon;
    for (const qreal ratio : {1.0, 2.0}) {
        const QPixmap picture = skinPixmap(name, QSize(kRowIconSide, kRowIconSide), ratio);
        icon.addPixmap(picture, QIcon::Normal);
        icon.addPixmap(picture, QIcon::Selected);
    }
    return icon;
}

} // namespace

BackupListModel::BackupListModel(QObject* parent)
    : QAbstractTableModel(parent), m_lockIcon(rowIcon(QStringLiteral("lock"))),
      m_backupIcon(rowIcon(QStringLiteral("backup"))) {}

void BackupListModel::setBackups(std::vector<BackupInfo> backups) {
    beginResetModel();
    m_backups = std::move(backups);
    endResetModel();
}

const BackupInfo* BackupListModel::backupAt(int row) const {
    if (row < 0 || row >= rowCount()) return nullptr;
    return &m_backups[static_cast<std::size_t>(row)];
}

void BackupListModel::refreshHeaders() {
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

int BackupListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_backups.size());
}

int BackupListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant BackupListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) return {};
    const BackupInfo& backup = m_backups[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case NameColumn:
            return shownName(backup);
        case DateColumn:
            return oneLine(backup.lastBackupDate);
        case SerialColumn:
            return oneLine(backup.serialNumber);
        }
        break;
    case Qt::ToolTipRole:
        // The full name and where the backup lies, for names cut short, and
        // why it could not be read in full.
        if (index.column() == NameColumn) {
            QString tip = shownName(backup) + QLatin1Char('\n') + QString::fromStdString(backup.folder);
            if (!backup.problem.empty()) tip += QLatin1Char('\n') + oneLine(backup.problem);
            return plainToolTip(tip);
        }
        break;
    case Qt::DecorationRole:
        if (index.column() == NameColumn) return backup.encrypted ? m_lockIcon : m_backupIcon;
        break;
    case Qt::TextAlignmentRole:
        if (index.column() == NameColumn) return int(Qt::AlignLeft | Qt::AlignVCenter);
        return int(Qt::AlignCenter);
    case Qt::SizeHintRole:
        return QSize(0, kRowHeight);
    case EncryptedRole:
        return backup.encrypted;
    case IconNameRole:
        return iconName(backup);
    case FolderRole:
        return QString::fromStdString(backup.folder);
    }
    return {};
}

QVariant BackupListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount) return {};
    if (role == Qt::TextAlignmentRole)
        return section == NameColumn ? int(Qt::AlignLeft | Qt::AlignVCenter) : int(Qt::AlignCenter);
    if (role != Qt::DisplayRole) return {};
    static const char* const keys[ColumnCount] = {"BackupListHeader1", "BackupListHeader2",
                                                  "BackupListHeader3"};
    // The English names stand in when the language file lacks the keys, as
    // the forms keep their own texts.
    static const char* const fallback[ColumnCount] = {"Name", "Last Backup Date", "Serial Number"};
    const QString text = languageText(QStringLiteral("PageItunesBackup"), QString::fromLatin1(keys[section]));
    return text.isEmpty() ? QString::fromLatin1(fallback[section]) : text;
}

} // namespace orvelle::gui
