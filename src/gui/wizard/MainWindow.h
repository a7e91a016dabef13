#pragma once
/// The program's one main window: a title band with the wizard's steps (or,
/// while a scan is up, the scan's tool band) and the assist menu, and below
/// it either the wizard (backup list, category page) or the scan page.
///
/// Visible state: (`MainTabPage` page, `TabPage` page) — (0, 0) backup list,
/// (0, 1) category choice, (1, any) scan and results.

#include <QWidget>

#include <memory>

namespace orvelle {
class BackupStore;
}

namespace orvelle::gui {

class ScanPage;
class BackupListPage;
class CategoryPage;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    /// A window over `store`, which must outlive it.
    explicit MainWindow(BackupStore& store, QWidget* parent = nullptr);
    ~MainWindow() override;

    ScanPage* scanPage() const;
    BackupListPage* backupListPage() const;
    CategoryPage* categoryPage() const;

    /// Brings the window up for the user (a second start asked for it).
    void bringToFront();
    /// Sets every text of the current language again.
    void applyTexts();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildAssistMenu();
    void showStep(int step);
    void showScanBand(bool scanning);

    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace orvelle::gui
