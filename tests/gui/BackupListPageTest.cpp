// The backup list page: the catalogue's backups newest first with the lock on
// encrypted ones, Next and double click take the selected backup, and
// "Select" asks again while a chosen folder holds no backup.

#include "gui/wizard/BackupListPage.h"

#include "backup/BackupStore.h"
#include "gui/app/LanguageTexts.h"
#include "gui/common/DialogScript.h"
#include "gui/common/ScanChoice.h"
#include "gui/support/GuiFixture.h"
#include "gui/wizard/BackupListModel.h"
#include "support/TempFolder.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>
#include <fstream>
#include <memory>

using namespace orvelle;
using namespace orvelle::gui;
namespace fs = std::filesystem;

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

class BackupListPageTest : public QObject {
    Q_OBJECT

private:
    gui::test::ProgramFolderCopy m_program;
    gui::test::DemoCatalogue m_catalogue;
    std::unique_ptr<orvelle::test::TempFolder> m_data;
    std::unique_ptr<BackupStore> m_store;
    ScanChoice m_choice;
    std::unique_ptr<BackupListPage> m_page;

    QTreeView* list() const { return m_page->findChild<QTreeView*>(QStringLiteral("BackupFileList")); }
    QAbstractItemModel* model() const { return list()->model(); }
    QPushButton* button(const char* name) const {
        return m_page->findChild<QPushButton*>(QLatin1String(name));
    }

private slots:

    void init() {
        m_data = std::make_unique<orvelle::test::TempFolder>("orvelle-gui-data");
        m_store = std::make_unique<BackupStore>(BackupStoreOptions{{m_catalogue.root()}, m_data->path()});
        m_choice = ScanChoice{};
        m_page = std::make_unique<BackupListPage>(*m_store, m_choice);
        m_page->resize(1000, 575);
        m_page->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
        DialogScript::start();
    }

    void cleanup() {
        QVERIFY2(DialogScript::unscripted().isEmpty(), qPrintable(DialogScript::unscripted().join(u", ")));
        QCOMPARE(DialogScript::pendingAnswers(), 0);
        DialogScript::stop();
        m_page.reset();
        m_store.reset();
        m_data.reset();
    }

    void listShowsBackupsNewestFirstWithLocks() {
        QAbstractItemModelTester tester(model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        const std::vector<BackupInfo> expected = m_store->listBackups();
        QCOMPARE(expected.size(), std::size_t(3));
        QCOMPARE(model()->rowCount(), 3);
        int locks = 0;
        for (int row = 0; row < 3; ++row) {
            const BackupInfo& backup = expected[std::size_t(row)];
            const QModelIndex name = model()->index(row, BackupListModel::NameColumn);
            QCOMPARE(name.data().toString(), qs(backup.displayName));
            QCOMPARE(model()->index(row, BackupListModel::DateColumn).data().toString(),
                     qs(backup.lastBackupDate));
            QCOMPARE(model()->index(row, BackupListModel::SerialColumn).data().toString(),
                     qs(backup.serialNumber));
            QCOMPARE(name.data(BackupListModel::EncryptedRole).toBool(), backup.encrypted);
            QCOMPARE(name.data(BackupListModel::IconNameRole).toString(),
                     backup.encrypted ? QStringLiteral("lock") : QStringLiteral("backup"));
            QCOMPARE(name.data(Qt::SizeHintRole).toSize().height(), BackupListModel::kRowHeight);
            if (row > 0) QVERIFY(expected[std::size_t(row - 1)].lastBackupDate >= backup.lastBackupDate);
            locks += backup.encrypted ? 1 : 0;
        }
        QCOMPARE(locks, 1);
        QVERIFY(fs::equivalent(fs::path(expected[2].folder), m_catalogue.olderBackup()));
        // Row 0 is selected once the list is filled.
        const QModelIndexList selected = list()->selectionModel()->selectedRows();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected.front().row(), 0);
        for (int column = 0; column < 3; ++column) {
            const QString key = QStringLiteral("BackupListHeader%1").arg(column + 1);
            QCOMPARE(model()->headerData(column, Qt::Horizontal).toString(),
                     languageText(QStringLiteral("PageItunesBackup"), key));
        }
        QCOMPARE(list()->header()->sectionSize(0), 220);
        QCOMPARE(list()->header()->sectionSize(1), 270);
    }

    void unreadableBackupShowsItsFolderAndReason() {
        BackupListModel model;
        BackupInfo refused;
        refused.folder = (fs::path("root") / "00008110-DEEP").string();
        refused.problem = "Info.plist: the property list is nested too deeply";
        model.setBackups({refused});
        const QModelIndex name = model.index(0, BackupListModel::NameColumn);
        QCOMPARE(name.data().toString(), QStringLiteral("00008110-DEEP"));
        QVERIFY(name.data(Qt::ToolTipRole).toString().contains(qs(refused.problem)));
    }

    void nextTakesTheSelectedBackup_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("doubleClick");
        QTest::newRow("Next on the first row") << 0 << false;
        QTest::newRow("Next on the last row") << 2 << false;
        QTest::newRow("double click") << 1 << true;
    }

    void nextTakesTheSelectedBackup() {
        QFETCH(int, row);
        QFETCH(bool, doubleClick);
        QSignalSpy chosen(m_page.get(), &BackupListPage::backupChosen);
        const QModelIndex index = model()->index(row, BackupListModel::DateColumn);
        if (doubleClick) {
            const QPoint at = list()->visualRect(index).center();
            QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, at);
        } else {
            list()->setCurrentIndex(index);
            QTest::mouseClick(button("BtnNext1"), Qt::LeftButton);
        }
        QCOMPARE(chosen.count(), 1);
        const BackupInfo expected = m_store->listBackups()[std::size_t(row)];
        QCOMPARE(m_choice.backup.folder, expected.folder);
        QCOMPARE(m_choice.backup.encrypted, expected.encrypted);
        QVERIFY(fs::is_directory(m_store->dataFolder() / "viewInstall"));
    }

    void nextWithoutSelectionDoesNothing() {
        QSignalSpy chosen(m_page.get(), &BackupListPage::backupChosen);
        list()->clearSelection();
        QTest::mouseClick(button("BtnNext1"), Qt::LeftButton);
        QCOMPARE(chosen.count(), 0);
        QVERIFY(m_choice.backup.folder.empty());
    }

    void emptyCatalogueSelectsNothing() {
        orvelle::test::TempFolder emptyRoot("orvelle-gui-empty");
        BackupStore store(BackupStoreOptions{{emptyRoot.path()}, m_data->path()});
        ScanChoice choice;
        BackupListPage page(store, choice);
        QSignalSpy chosen(&page, &BackupListPage::backupChosen);
        auto* view = page.findChild<QTreeView*>(QStringLiteral("BackupFileList"));
        QCOMPARE(view->model()->rowCount(), 0);
        QTest::mouseClick(page.findChild<QPushButton*>(QStringLiteral("BtnNext1")), Qt::LeftButton);
        QCOMPARE(chosen.count(), 0);
    }

    void selectAsksAgainUntilAFolderHoldsABackup() {
        orvelle::test::TempFolder notABackup("orvelle-gui-nobackup");
        DialogScript::chooseFolder(QString::fromStdString(notABackup.path().string()));
        DialogScript::answerMessageBox(1);
        DialogScript::chooseFolder(QString::fromStdString(m_catalogue.olderBackup().string()));
        QSignalSpy chosen(m_page.get(), &BackupListPage::backupChosen);
        QTest::mouseClick(button("BtnSelDir"), Qt::LeftButton);
        QCOMPARE(chosen.count(), 1);
        QVERIFY(fs::equivalent(fs::path(m_choice.backup.folder), m_catalogue.olderBackup()));
        const QString question = messageText(QStringLiteral("MSG0311"));
        QVERIFY(!question.isEmpty());
        QCOMPARE(DialogScript::messageBoxes(), QStringList{QStringLiteral("Question: ") + question});
    }

    void selectStopsWhenTheUserGivesUp_data() {
        QTest::addColumn<bool>("badFolderFirst");
        QTest::newRow("chooser cancelled") << false;
        QTest::newRow("question answered Cancel") << true;
    }

    void selectStopsWhenTheUserGivesUp() {
        QFETCH(bool, badFolderFirst);
        orvelle::test::TempFolder notABackup("orvelle-gui-nobackup");
        if (badFolderFirst) {
            DialogScript::chooseFolder(QString::fromStdString(notABackup.path().string()));
            DialogScript::answerMessageBox(2);
        } else {
            DialogScript::chooseFolder(QString());
        }
        QSignalSpy chosen(m_page.get(), &BackupListPage::backupChosen);
        QTest::mouseClick(button("BtnSelDir"), Qt::LeftButton);
        QCOMPARE(chosen.count(), 0);
        QCOMPARE(DialogScript::messageBoxes().size(), badFolderFirst ? 1 : 0);
        QVERIFY(m_choice.backup.folder.empty());
    }

    void languageSwitchRenamesHeaders() {
        LanguageTexts::instance().setLanguage(QStringLiteral("Chinese"));
        const QString chinese =
            languageText(QStringLiteral("PageItunesBackup"), QStringLiteral("BackupListHeader1"));
        if (!chinese.isEmpty()) QCOMPARE(model()->headerData(0, Qt::Horizontal).toString(), chinese);
        LanguageTexts::instance().setLanguage(QStringLiteral("English"));
        QCOMPARE(model()->headerData(0, Qt::Horizontal).toString(),
                 languageText(QStringLiteral("PageItunesBackup"), QStringLiteral("BackupListHeader1")));
    }
};

QTEST_MAIN(BackupListPageTest)
#include "BackupListPageTest.moc"
