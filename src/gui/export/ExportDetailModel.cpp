#include "gui/export/ExportDetailModel.h"

#include "gui/app/LanguageTexts.h"
#include "gui/common/PlainText.h"

#include <QBrush>
#include <QColor>

namespace orvelle::gui {

namespace {

const QColor kFailedColour(0xE0, 0x1B, 0x1B);

QString textOr(const QString& section, const QString& key, const QString& fallback) {
    const QString text = languageText(section, key);
    return text.isEmpty() ? fallback : text;
}

} // namespace

ExportDetailModel::ExportDetailModel(QObject* parent) : QAbstractTableModel(parent) { retranslate(); }

void ExportDetailModel::retranslate() {
    m_fileTitle = textOr(QStringLiteral("RecoverProcessWnd"), QStringLiteral("ColFile"), QStringLiteral("File"));
    m_statusTitle =
        textOr(QStringLiteral("RecoverProcessWnd"), QStringLiteral("ColStatus"), QStringLiteral("Status"));
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

void ExportDetailModel::setBaseFolder(const QString& folder) {
    m_baseFolder = folder;
    if (!m_baseFolder.isEmpty() && !m_baseFolder.endsWith(u'/')) m_baseFolder += u'/';
    if (rowCount() > 0) emit dataChanged(index(0, FileColumn), index(rowCount() - 1, FileColumn), {Qt::DisplayRole});
}

QString ExportDetailModel::shownFile(const QString& file) const {
    if (m_baseFolder.isEmpty() || !file.startsWith(m_baseFolder)) return file;
    return file.mid(m_baseFolder.size());
}

void ExportDetailModel::addRows(std::vector<ExportDetailRow> rows) {
    std::vector<ExportDetailRow> failed;
    std::vector<ExportDetailRow> succeeded;
    for (ExportDetailRow& row : rows) (row.failed ? failed : succeeded).push_back(std::move(row));
    if (!failed.empty()) {
        beginInsertRows({}, 0, static_cast<int>(failed.size()) - 1);
        for (ExportDetailRow& row : failed) m_failed.push_back(std::move(row));
        endInsertRows();
    }
    if (!succeeded.empty()) {
        const int first = rowCount();
        beginInsertRows({}, first, first + static_cast<int>(succeeded.size()) - 1);
        for (ExportDetailRow& row : succeeded) m_succeeded.push_back(std::move(row));
        endInsertRows();
    }
}

const ExportDetailRow& ExportDetailModel::rowAt(int row) const {
    const int failed = failedCount();
    if (row < failed) return m_failed[static_cast<std::size_t>(failed - 1 - row)];
    return m_succeeded[static_cast<std::size_t>(row - failed)];
}

int ExportDetailModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_failed.size() + m_succeeded.size());
}

int ExportDetailModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant ExportDetailModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) return {};
    const ExportDetailRow& row = rowAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return index.column() == FileColumn ? shownFile(row.file) : row.status;
    case Qt::ToolTipRole:
        return plainToolTip(index.column() == FileColumn ? row.file : row.status);
    case Qt::ForegroundRole:
        if (row.failed) return QBrush(kFailedColour);
        return {};
    default:
        return {};
    }
}

QVariant ExportDetailModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section == FileColumn) return m_fileTitle;
    if (section == StatusColumn) return m_statusTitle;
    return {};
}

} // namespace orvelle::gui
