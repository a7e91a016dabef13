// The result views driven by object name over a finished scan of the demo
// backup: the first category opens with its first row, the deleted-only
// switch hides live contacts and stays on per category, the search narrows
// the list and is cleared by another category, app folders open and close,
// and ticks reach the statistics line.

#include "backup/BackupStore.h"
#include "backup/KnownFileIds.h"
#include "gui/app/LanguageTexts.h"
#include "gui/common/DialogScript.h"
#include "gui/common/ScanChoice.h"
#include "gui/results/CategoryTreeModel.h"
#include "gui/results/ItemListModel.h"
#include "gui/results/ResultsShared.h"
#include "gui/results/ResultsView.h"
#include "gui/support/GuiFixture.h"
#include "scan/DisplayText.h"
#include "scan/ScanRun.h"
#include "support/TempFolder.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QtTest>

#include <fstream>
#include <memory>

using namespace orvelle;
using namespace orvelle::gui;

namespace {

QString sizeString(std::uint64_t bytes) {
    return QString::fromStdString(sizeText(static_cast<std::int64_t>(bytes)));
}

} // namespace

class ResultsViewTest : public QObject {
    Q_OBJECT

    std::unique_ptr<gui::test::ProgramFolderCopy> m_program;
    std::unique_ptr<gui::test::DemoCatalogue> m_catalogue;
    std::unique_ptr<orvelle::test::TempFolder> m_data;
    std::unique_ptr<BackupStore> m_store;
    std::unique_ptr<ScanRun> m_run;
    std::unique_ptr<ResultsView> m_view;
    ScanChoice m_choice;

    QTreeView* tree() const { return m_view->findChild<QTreeView*>(QStringLiteral("NodeTree")); }
    QTreeView* list() const { return m_view->findChild<QTreeView*>(QStringLiteral("DataList")); }
    CategoryTreeModel* treeModel() const { return qobject_cast<CategoryTreeModel*>(tree()->model()); }
    ItemListModel* listModel() const { return qobject_cast<ItemListModel*>(list()->model()); }
    template <typename Widget>
    Widget* control(const char* name) const {
        Widget* widget = m_view->findChild<Widget*>(QLatin1String(name));
        if (!widget) qFatal("no control %s", name);
        return widget;
    }
    void openCategory(ItemKind kind) {
        const QModelIndex node = treeModel()->indexOf(kind);
        QVERIFY(node.isValid());
        QVERIFY(!tree()->isRowHidden(node.row(), node.parent()));
        tree()->setCurrentIndex(node);
        QCOMPARE(m_view->currentCategory(), kind);
    }
    int deletedContacts() const {
        int deleted = 0;
        for (const ContactRecord& contact : m_run->results().contacts) deleted += contact.deleted != kLive;
        return deleted;
    }

private slots:
    void initTestCase() {
        DialogScript::start();
        m_program = std::make_unique<gui::test::ProgramFolderCopy>();
        m_catalogue = std::make_unique<gui::test::DemoCatalogue>();
        m_data = std::make_unique<orvelle::test::TempFolder>("orvelle-results-view");
        m_store = std::make_unique<BackupStore>(BackupStoreOptions{{m_catalogue->root()}, m_data->path()});
        QCOMPARE(m_store->readBackupFolder(m_catalogue->recentBackup(), m_choice.backup), kStatusOk);
        m_choice.ticked.fill(true);
        m_run = std::make_unique<ScanRun>(*m_store);
        m_view = std::make_unique<ResultsView>();
        m_view->resize(1000, 575);
        m_view->show();
        QCOMPARE(m_run->start(m_choice.request()), kStatusOk);
        m_view->beginScan(m_run.get(), m_choice);
        QTRY_VERIFY_WITH_TIMEOUT(m_run->scanFinished(), 60000);
        m_view->refreshCounts();
        m_view->selectFirstCategory(m_run->firstResultCategory());
        m_view->refreshStatistics();
    }

    void firstCategoryOpensWithItsFirstRow() {
        QVERIFY(m_run->firstResultCategory() != ItemKind::None);
        QCOMPARE(m_view->currentCategory(), m_run->firstResultCategory());
        QCOMPARE(list()->currentIndex().row(), 0);
        // Options that never get results stay out of sight.
        for (int group = 0; group < treeModel()->rowCount(); ++group) {
            const QModelIndex groupIndex = treeModel()->index(group, 0);
            for (int row = 0; row < treeModel()->rowCount(groupIndex); ++row)
                QCOMPARE(tree()->isRowHidden(row, groupIndex),
                         !treeModel()->rowIsShown(treeModel()->index(row, 0, groupIndex)));
        }
    }

    void deletedOnlyHidesLiveContactsAndIsRememberedPerCategory() {
        openCategory(ItemKind::Contacts);
        auto* filter = control<QPushButton>("OptOnOffFilter");
        auto* filtered = control<QLabel>("LblFilterCount");
        QVERIFY(control<QWidget>("FilterToolBar")->isVisible());
        const int all = listModel()->rowCount();
        const int deleted = deletedContacts();
        QVERIFY(deleted > 0 && deleted < all);
        QSignalSpy changed(m_view.get(), &ResultsView::tallyChanged);

        QTest::mouseClick(filter, Qt::LeftButton);
        QVERIFY(filter->isChecked());
        QVERIFY(m_view->deletedOnly());
        QCOMPARE(changed.count(), 1);
        QCOMPARE(listModel()->rowCount(), deleted);
        for (int row = 0; row < deleted; ++row)
            QVERIFY(listModel()->index(row, 0).data(ItemListModel::DeletedRole).toBool());
        QVERIFY(filtered->isVisible());
        QCOMPARE(filtered->text(),
                 formatMessage(messageText("MSG0550"), {QString::number(all - deleted)}));
        QCOMPARE(m_run->tally().categoryNode(ItemKind::Contacts)->hidden, std::uint32_t(all - deleted));

        openCategory(ItemKind::Notes);
        QVERIFY(!filter->isChecked());
        QCOMPARE(listModel()->rowCount(), int(m_run->results().notes.size()));

        openCategory(ItemKind::Contacts);
        QVERIFY(filter->isChecked());
        QCOMPARE(listModel()->rowCount(), deleted);

        QTest::mouseClick(filter, Qt::LeftButton);
        QCOMPARE(listModel()->rowCount(), all);
        QVERIFY(!filtered->isVisible());
        QCOMPARE(m_run->tally().categoryNode(ItemKind::Contacts)->hidden, 0u);
    }

    void searchNarrowsTheListAndIsClearedByAnotherCategory() {
        openCategory(ItemKind::Contacts);
        auto* search = control<QLineEdit>("EditSearch");
        const int all = listModel()->rowCount();
        const QString name = listModel()->index(1, 0).data().toString();
        QTest::keyClicks(search, name.left(4).toLower());
        QTRY_VERIFY(listModel()->rowCount() < all);
        QVERIFY(listModel()->rowCount() >= 1);
        QCOMPARE(listModel()->index(list()->currentIndex().row(), 0).data().toString().left(4).toLower(),
                 name.left(4).toLower());
        QVERIFY(control<QLabel>("LblSearchCount")->isVisible());
        // Searching leaves the ticks alone.
        QCOMPARE(m_run->tally().categoryNode(ItemKind::Contacts)->hidden, 0u);

        openCategory(ItemKind::CallHistory);
        QVERIFY(search->text().isEmpty());
        QCOMPARE(listModel()->rowCount(), int(m_run->results().calls.size()));
        QVERIFY(!control<QLabel>("LblSearchCount")->isVisible());
    }

    void appFoldersOpenOnDoubleClickAndGoBack() {
        openCategory(ItemKind::AppPhotos);
        auto* back = control<QPushButton>("BtnBackAppDir");
        QCOMPARE(listModel()->level(), ItemListModel::Level::Apps);
        QVERIFY(!back->isVisible());
        const QString app = listModel()->index(0, 0).data().toString();
        const QRect cell = list()->visualRect(listModel()->index(0, 1));
        // A double click is a press and release followed by a second press.
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, cell.center());
        QTRY_COMPARE(listModel()->level(), ItemListModel::Level::AppFiles);
        QVERIFY(back->isVisible());
        QCOMPARE(listModel()->index(0, 1).data().toString(), app);

        QTest::mouseClick(back, Qt::LeftButton);
        QCOMPARE(listModel()->level(), ItemListModel::Level::Apps);
        QVERIFY(!back->isVisible());
        QCOMPARE(list()->currentIndex().row(), 0);
    }

    void ticksReachTheStatisticsLine() {
        openCategory(ItemKind::CallHistory);
        QSignalSpy changed(m_view.get(), &ResultsView::tallyChanged);
        const QModelIndex node = treeModel()->indexOf(ItemKind::CallHistory);
        QVERIFY(treeModel()->setData(node, Qt::Unchecked, Qt::CheckStateRole));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(listModel()->index(0, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        const SelectionTally& tally = m_run->tally();
        QCOMPARE(control<QLabel>("LblStatistics")->text(),
                 formatMessage(messageText("MSG0513"),
                               {sizeString(tally.selectedSize()), QString::number(tally.selectedVisibleCount()),
                                sizeString(tally.totalSize()), QString::number(tally.root().total)}));
        QVERIFY(listModel()->setData(listModel()->index(0, 0), Qt::Checked, Qt::CheckStateRole));
        QCOMPARE(changed.count(), 2);
        QCOMPARE(node.data(Qt::CheckStateRole).toInt(), int(Qt::PartiallyChecked));
        QVERIFY(treeModel()->setData(node, Qt::Checked, Qt::CheckStateRole));
        QCOMPARE(tally.selectedVisibleCount(), tally.root().total);
    }

    // A category whose database cannot be read is shown with that fact and
    // its reason, not hidden as if the backup held nothing of it.
    void anUnreadableCategoryIsShownWithItsReason() {
        orvelle::test::TempFolder copy("orvelle-results-unreadable");
        const std::filesystem::path backup = copy / "backup";
        std::filesystem::copy(m_catalogue->recentBackup(), backup, std::filesystem::copy_options::recursive);
        const std::string smsId(kMessagesFileId);
        const std::filesystem::path sms = backup / smsId.substr(0, 2) / smsId;
        std::filesystem::permissions(sms, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
        {
            std::fstream file(sms, std::ios::in | std::ios::out | std::ios::binary);
            file.write("not a database, not at all", 26);
        }
        BackupStore store(BackupStoreOptions{{copy.path()}, copy / "data"});
        ScanChoice choice;
        QCOMPARE(store.readBackupFolder(backup, choice.backup), kStatusOk);
        choice.ticked.fill(true);
        ScanRun run(store);
        ResultsView view;
        QCOMPARE(run.start(choice.request()), kStatusOk);
        view.beginScan(&run, choice);
        QTRY_VERIFY_WITH_TIMEOUT(run.scanFinished(), 60000);
        view.refreshCounts();
        auto* viewTree = view.findChild<QTreeView*>(QStringLiteral("NodeTree"));
        auto* model = qobject_cast<CategoryTreeModel*>(viewTree->model());
        const QModelIndex messages = model->indexOf(ItemKind::Messages);
        QVERIFY(!viewTree->isRowHidden(messages.row(), messages.parent()));
        QVERIFY(messages.data().toString().contains(pageText("NodeUnreadable", "could not be read")));
        QVERIFY(messages.data(Qt::ToolTipRole).toString().contains(QStringLiteral("sms.db")));
        const QModelIndex contacts = model->indexOf(ItemKind::Contacts);
        QVERIFY(contacts.data(Qt::ToolTipRole).isNull());
    }

    void cleanupTestCase() {
        m_view.reset();
        m_run.reset();
        QVERIFY(DialogScript::unscripted().isEmpty());
    }
};

QTEST_MAIN(ResultsViewTest)
#include "ResultsViewTest.moc"
