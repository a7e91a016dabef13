#pragma once
/// The rows of the export window's detail list: every file the export
/// finished, with its status. Failed files stand on top (the newest first)
/// and are drawn in red; successful ones follow in the order they were
/// written. Rows arrive in batches so that a list of tens of thousands of
/// files stays quick to fill and to scroll.

#include <QAbstractTableModel>
#include <QString>

#include <vector>

namespace orvelle::gui {

struct ExportDetailRow {
    QString file;   ///< full path of the written file
    QString status; ///< "Success" or the error's message
    bool failed = false;
};

class ExportDetailModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { FileColumn = 0, StatusColumn = 1, ColumnCount = 2 };

    explicit ExportDetailModel(QObject* parent = nullptr);

    /// Adds a batch: failures go on top, the newest first; successes at the end.
    void addRows(std::vector<ExportDetailRow> rows);
    /// Re-reads the column titles from the language file.
    void retranslate();
    /// Files below `folder` are shown by their path inside it (the tool tip keeps the full path).
    void setBaseFolder(const QString& folder);

    int failedCount() const { return static_cast<int>(m_failed.size()); }
    /// The row shown at `row` (for tests and tool tips).
    const ExportDetailRow& rowAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<ExportDetailRow> m_failed;    ///< in arrival order; shown reversed
    std::vector<ExportDetailRow> m_succeeded; ///< in arrival order
    QString shownFile(const QString& file) const;

    QString m_baseFolder; ///< with a trailing separator; empty: full paths
    QString m_fileTitle;
    QString m_statusTitle;
};

} // namespace orvelle::gui
