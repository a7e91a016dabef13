#include "gui/wizard/BackupListPage.h"

#include "backup/BackupStore.h"
#include "gui/app/LanguageTexts.h"
#include "gui/common/FolderChooser.h"
#include "gui/common/MessageBox.h"
#include "gui/common/ScanChoice.h"
#include "gui/wizard/BackupListModel.h"
#include "ui_BackupListPage.h"

#include <QHeaderView>
#include <filesystem>
#include <system_error>

namespace orvelle::gui {

namespace {

const QString kSection = QStringLiteral("PageItunesBackup");
/// Title of the folder chooser for a backup kept elsewhere.
const QString kChooseFolderTitle = QStringLiteral("MSG0310");
/// The chosen folder holds no backup: try another?
const QString kNoBackupInFolder = QStringLiteral("MSG0311");

/// The data folder's "viewInstall" folder marks that a backup was opened at
/// least once. A marker that cannot be written changes nothing for the scan.
void markBackupOpened(const std::filesystem::path& dataFolder) {
    if (dataFolder.empty()) return;
    std::error_code error;
    std::filesystem::create_directories(dataFolder / "viewInstall", error);
}

} // namespace

struct BackupListPage::State {
    State(BackupStore& s, ScanChoice& c) : store(s), choice(c) {}
    BackupStore& store;
    ScanChoice& choice;
    Ui::BackupListPage ui;
    BackupListModel model;
};

BackupListPage::BackupListPage(BackupStore& store, ScanChoice& choice, QWidget* parent)
    : QWidget(parent), m_state(std::make_unique<State>(store, choice)) {
    Ui::BackupListPage& ui = m_state->ui;
    ui.setupUi(this);

    QTreeView* list = ui.BackupFileList;
    list->setModel(&m_state->model);
    QHeaderView* header = list->header();
    header->setStretchLastSection(true);
    header->setSectionsMovable(false);
    header->setMinimumSectionSize(80);
    header->resizeSection(BackupListModel::NameColumn, 220);
    header->resizeSection(BackupListModel::DateColumn, 270);

    // The catalogue was listed when the store was made; the list is filled once.
    m_state->model.setBackups(store.listBackups());
    if (m_state->model.rowCount() > 0) list->setCurrentIndex(m_state->model.index(0, 0));

    connect(ui.BtnNext1, &QPushButton::clicked, this, &BackupListPage::takeSelected);
    connect(list, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) takeSelected();
    });
    connect(ui.BtnSelDir, &QPushButton::clicked, this, &BackupListPage::chooseOtherFolder);
    connect(&LanguageTexts::instance(), &LanguageTexts::languageChanged, this, &BackupListPage::applyTexts);
    applyTexts();
}

BackupListPage::~BackupListPage() = default;

void BackupListPage::applyTexts() {
    LanguageTexts::instance().applySection(kSection, this);
    m_state->model.refreshHeaders();
}

void BackupListPage::takeSelected() {
    const QModelIndexList rows = m_state->ui.BackupFileList->selectionModel()->selectedRows();
    if (rows.isEmpty()) return;
    const BackupInfo* backup = m_state->model.backupAt(rows.front().row());
    if (!backup) return;
    markBackupOpened(m_state->store.dataFolder());
    m_state->choice.backup = *backup;
    emit backupChosen();
}

void BackupListPage::chooseOtherFolder() {
    QWidget* owner = window();
    for (;;) {
        const QString folder = chooseFolder(owner, messageText(kChooseFolderTitle));
        if (folder.isEmpty()) return;
        BackupInfo backup;
        const std::filesystem::path path(folder.toStdU16String());
        if (m_state->store.readBackupFolder(path, backup) == kStatusOk) {
            m_state->choice.backup = std::move(backup);
            emit backupChosen();
            return;
        }
        if (showMessageBox(owner, MessageKind::Question, messageText(kNoBackupInFolder)) != kAnswerOk) return;
    }
}

} // namespace orvelle::gui
