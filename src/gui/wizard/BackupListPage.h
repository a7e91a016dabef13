#pragma once
/// The first step: the backups the catalogue found, newest first (a lock on
/// encrypted ones; name, last backup date and serial number), Next (or a
/// double click) takes the selected one, "Select" takes a folder elsewhere
/// and asks again while the folder holds no Info.plist.

#include <QWidget>
#include <memory>

namespace orvelle {
class BackupStore;
}

namespace orvelle::gui {

struct ScanChoice;

class BackupListPage : public QWidget {
    Q_OBJECT
public:
    /// Lists `store`'s backups; a chosen backup is written into `choice`.
    BackupListPage(BackupStore& store, ScanChoice& choice, QWidget* parent = nullptr);
    ~BackupListPage() override;
    void applyTexts();

signals:
    /// A backup was chosen (it is in the choice): go to the category page.
    void backupChosen();

private:
    /// Takes the selected backup; nothing happens without a selection.
    void takeSelected();
    /// Asks for a backup folder elsewhere until one holds a backup or the user gives up.
    void chooseOtherFolder();

    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace orvelle::gui
