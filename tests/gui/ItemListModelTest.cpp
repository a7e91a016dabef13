// The result models over a real scan of the demo backup: both pass Qt's
// model checks in every category and filter state, the tree counts what the
// scan counts, rows read their records' texts, tick boxes write the tally.

#include "backup/BackupStore.h"
#include "gui/app/LanguageTexts.h"
#include "gui/common/DialogScript.h"
#include "gui/common/ScanChoice.h"
#include "gui/results/CategoryTreeModel.h"
#include "gui/results/ItemListModel.h"
#include "gui/results/ResultsShared.h"
#include "gui/support/GuiFixture.h"
#include "scan/DisplayText.h"
#include "scan/ScanRun.h"
#include "support/TempFolder.h"

#include <QAbstractItemModelTester>
#include <QtTest>

#include <fstream>
#include <memory>

using namespace orvelle;
using namespace orvelle::gui;

namespace {

QString cellText(const QAbstractItemModel& model, int row, int column) {
    return model.data(model.index(row, column)).toString();
}

} // namespace

class ItemListModelTest : public QObject {
    Q_OBJECT

    std::unique_ptr<gui::test::ProgramFolderCopy> m_program;
    std::unique_ptr<gui::test::DemoCatalogue> m_catalogue;
    std::unique_ptr<orvelle::test::TempFolder> m_data;
    std::unique_ptr<BackupStore> m_store;
    std::unique_ptr<ScanRun> m_run;
    ScanChoice m_choice;

private slots:
    void initTestCase() {
        DialogScript::start();
        m_program = std::make_unique<gui::test::ProgramFolderCopy>();
        m_catalogue = std::make_unique<gui::test::DemoCatalogue>();
        m_data = std::make_unique<orvelle::test::TempFolder>("orvelle-results-data");
        m_store = std::make_unique<BackupStore>(BackupStoreOptions{{m_catalogue->root()}, m_data->path()});
        QCOMPARE(m_store->readBackupFolder(m_catalogue->recentBackup(), m_choice.backup), kStatusOk);
        m_choice.ticked.fill(true);
        m_run = std::make_unique<ScanRun>(*m_store);
        QCOMPARE(m_run->start(m_choice.request()), kStatusOk);
        QTRY_VERIFY_WITH_TIMEOUT(m_run->scanFinished(), 60000);
    }

    void modelsPassQtChecksInEveryState() {
        CategoryTreeModel tree;
        QAbstractItemModelTester treeTester(&tree, QAbstractItemModelTester::FailureReportingMode::QtTest);
        tree.setScan(m_run.get(), m_choice.ticked);
        QVERIFY(tree.refreshCounts());

        ItemListModel list;
        QAbstractItemModelTester listTester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
        list.setRun(m_run.get());
        for (const CategoryInfo& category : kCategories) {
            if (category.kind == ItemKind::None) continue;
            list.showCategory(category.kind);
            list.setDeletedOnly(true);
            list.setSearch(QStringLiteral("a"));
            list.setSearch(QStringLiteral("an"));
            list.setDeletedOnly(false);
            list.setSearch({});
            if (list.level() == ItemListModel::Level::Apps && list.rowCount() > 0) QVERIFY(list.openApp(0));
            list.refreshTicks();
        }
        list.applyTexts();
        tree.refreshAll();
        list.clear();
        tree.clear();
    }

    void treeCountsWhatTheScanCounts() {
        CategoryTreeModel tree;
        tree.setScan(m_run.get(), m_choice.ticked);
        tree.refreshCounts();
        ItemListModel list;
        list.setRun(m_run.get());
        int categoriesWithResults = 0;
        for (const CategoryInfo& category : kCategories) {
            const QString name = QString::fromLatin1(category.cliName.data(), qsizetype(category.cliName.size()));
            if (category.kind == ItemKind::None) continue;
            const QModelIndex node = tree.indexOf(category.kind);
            QVERIFY2(node.isValid(), qPrintable(name));
            const std::uint32_t count = m_run->count(category.kind);
            QCOMPARE(node.data(CategoryTreeModel::CountRole).toUInt(), count);
            QVERIFY2(node.data().toString().endsWith(QStringLiteral("(%1)").arg(count)), qPrintable(name));
            QCOMPARE(tree.rowIsShown(node), count > 0);
            categoriesWithResults += count > 0;
            // The list holds as many rows (App Photos / App Videos: files of all apps).
            list.showCategory(category.kind);
            std::uint32_t rows = 0;
            if (list.level() == ItemListModel::Level::Apps) {
                const int apps = list.rowCount();
                for (int app = 0; app < apps; ++app) {
                    list.showCategory(category.kind);
                    if (list.openApp(app)) rows += static_cast<std::uint32_t>(list.rowCount());
                }
            } else {
                rows = static_cast<std::uint32_t>(list.rowCount());
            }
            QVERIFY2(rows == count, qPrintable(name + QStringLiteral(": %1 rows, %2 counted").arg(rows).arg(count)));
        }
        QVERIFY(categoriesWithResults >= 8);
    }

    void chatsWithDeletedMessagesComeFirstInOrange() {
        ItemListModel list;
        list.setRun(m_run.get());
        for (const ItemKind kind : {ItemKind::Messages, ItemKind::WhatsApp, ItemKind::QQ, ItemKind::WeChat}) {
            list.showCategory(kind);
            QVERIFY(list.rowCount() >= 2);
            QVERIFY(list.index(0, 0).data(ItemListModel::DeletedRole).toBool());
            QCOMPARE(list.index(0, 1).data(Qt::ForegroundRole).value<QColor>(), deletedRowColour());
            const int last = list.rowCount() - 1;
            QVERIFY(!list.index(last, 0).data(ItemListModel::DeletedRole).toBool());
            QVERIFY(!list.index(last, 1).data(Qt::ForegroundRole).isValid());
        }
    }

    void recordCategoriesShowTheirColumnsAndFilter_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("headers");
        QTest::addRow("reminder") << int(ItemKind::Reminder)
                                  << QStringList{"ColTitle", "ColDue", "ColCompleted", "ColList", "ColNotes"};
        QTest::addRow("calendar") << int(ItemKind::Calendar)
                                  << QStringList{"ColTitle", "ColStart", "ColEnd", "ColLocation", "ColCalendar"};
        QTest::addRow("safari-bookmark") << int(ItemKind::SafariBookmark)
                                         << QStringList{"ColTitle", "ColUrl", "ColFolder"};
        const QStringList chats{"ColName", "ColAccount", "ColDate", "ColMessage"};
        QTest::addRow("qq") << int(ItemKind::QQ) << chats;
        QTest::addRow("wechat") << int(ItemKind::WeChat) << chats;
    }

    void recordCategoriesShowTheirColumnsAndFilter() {
        QFETCH(int, kind);
        QFETCH(QStringList, headers);
        const ScanResults& r = m_run->results();
        ItemListModel list;
        list.setRun(m_run.get());
        list.showCategory(ItemKind(kind));
        QCOMPARE(list.columnCount(), headers.size());
        for (int column = 0; column < headers.size(); ++column) {
            const QString header = list.headerData(column, Qt::Horizontal).toString();
            QCOMPARE(header, languageText(QStringLiteral("PageScan"), headers[column]));
            QVERIFY(!header.isEmpty());
        }
        // The rows read their records' fields in column order.
        std::vector<std::vector<std::string>> expected;
        std::vector<bool> deleted;
        switch (ItemKind(kind)) {
        case ItemKind::Reminder:
            for (const auto& x : r.reminders) {
                const std::string done = x.completed ? (x.completedDate.empty() ? "Yes" : x.completedDate) : "";
                expected.push_back({x.title, x.due, done, x.list, x.notes});
                deleted.push_back(x.deleted != kLive);
            }
            break;
        case ItemKind::Calendar:
            for (const auto& x : r.events) {
                expected.push_back({x.title, x.start, x.end, x.location, x.calendar});
                deleted.push_back(x.deleted != kLive);
            }
            break;
        case ItemKind::QQ:
        case ItemKind::WeChat:
            // One row per conversation: its account, partner and last message.
            for (const auto& x : r.messengerSummaries(ItemKind(kind))) {
                const std::string name =
                    x.last.contactName.empty() ? x.partner : x.last.contactName + "(" + x.partner + ")";
                expected.push_back({name, x.account, x.last.date, x.last.text});
                deleted.push_back(x.deleted != kLive);
            }
            break;
        default:
            for (const auto& x : r.bookmarks) {
                expected.push_back({x.title, x.url, x.folder});
                deleted.push_back(x.deleted != kLive);
            }
            break;
        }
        QVERIFY(expected.size() >= 2);
        QCOMPARE(list.rowCount(), int(expected.size()));
        int deletedRows = 0;
        for (int row = 0; row < list.rowCount(); ++row) {
            for (int column = 0; column < list.columnCount(); ++column)
                QCOMPARE(cellText(list, row, column),
                         QString::fromStdString(expected[std::size_t(row)][std::size_t(column)]));
            QCOMPARE(list.index(row, 0).data(ItemListModel::DeletedRole).toBool(), bool(deleted[std::size_t(row)]));
            if (deleted[std::size_t(row)]) {
                QCOMPARE(list.index(row, 1).data(Qt::ForegroundRole).value<QColor>(), deletedRowColour());
                ++deletedRows;
            }
        }
        QVERIFY(deletedRows >= 1);
        QVERIFY(hasDeletedFlag(ItemKind(kind)));
        list.setDeletedOnly(true);
        QCOMPARE(list.rowCount(), deletedRows);
        for (int row = 0; row < list.rowCount(); ++row)
            QVERIFY(list.index(row, 0).data(ItemListModel::DeletedRole).toBool());
        list.setDeletedOnly(false);
        QCOMPARE(list.rowCount(), int(expected.size()));
    }

    void callRowsShowDirectionStatusAndState_data() {
        QTest::addColumn<int>("incoming");
        QTest::addColumn<int>("duration");
        QTest::addColumn<int>("deleted");
        QTest::addColumn<QString>("direction");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("state");
        const QString in = languageText("PageScan", "TextIncoming"), out = languageText("PageScan", "TextOutgoing");
        const QString deleted = languageText("PageScan", "TextDeleted"), normal = languageText("PageScan", "TextNormal");
        QTest::newRow("unanswered incoming") << 1 << 0 << 0 << in << languageText("PageScan", "TextMissed") << normal;
        QTest::newRow("unanswered outgoing") << 0 << 0 << 1 << out << languageText("PageScan", "TextCanceled") << deleted;
        QTest::newRow("59 seconds") << 1 << 59 << 0 << in << QStringLiteral("59 Sec") << normal;
        QTest::newRow("one hour") << 0 << 3600 << 0 << out << QStringLiteral("1 Hour 0 Min") << normal;
    }

    void callRowsShowDirectionStatusAndState() {
        QFETCH(int, incoming);
        QFETCH(int, duration);
        QFETCH(int, deleted);
        QVERIFY(!languageText("PageScan", "TextMissed").isEmpty()); // the shipped texts are loaded
        BackupStore store(BackupStoreOptions{{}, m_data->path() / "single"});
        ScanRun run(store);
        CallRecord call;
        call.incoming = incoming;
        call.duration = duration;
        call.deleted = static_cast<std::uint32_t>(deleted);
        call.number = "+12025550143";
        call.contactName = "Ada Lovelace";
        run.results().calls.push_back(call);
        ItemListModel list;
        list.setRun(&run);
        list.showCategory(ItemKind::CallHistory);
        QCOMPARE(list.rowCount(), 1);
        QCOMPARE(cellText(list, 0, 0), QStringLiteral("Ada Lovelace"));
        QTEST(cellText(list, 0, 3), "direction");
        QTEST(cellText(list, 0, 4), "status");
        QTEST(cellText(list, 0, 5), "state");
        QCOMPARE(list.index(0, 0).data(ItemListModel::DeletedRole).toBool(), deleted != 0);
    }

    void rowTicksDriveTheCategoryNode() {
        CategoryTreeModel tree;
        tree.setScan(m_run.get(), m_choice.ticked);
        tree.refreshCounts();
        ItemListModel list;
        list.setRun(m_run.get());
        list.showCategory(ItemKind::Contacts);
        connect(&list, &ItemListModel::ticksChanged, &tree, &CategoryTreeModel::refreshTicks);
        const QModelIndex node = tree.indexOf(ItemKind::Contacts);
        QCOMPARE(node.data(Qt::CheckStateRole).toInt(), int(Qt::Checked));

        QSignalSpy ticks(&list, &ItemListModel::ticksChanged);
        QVERIFY(list.setData(list.index(0, 0), Qt::Unchecked, Qt::CheckStateRole));
        QCOMPARE(ticks.count(), 1);
        QCOMPARE(list.index(0, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        QCOMPARE(node.data(Qt::CheckStateRole).toInt(), int(Qt::PartiallyChecked));
        for (int row = 1; row < list.rowCount(); ++row)
            QVERIFY(list.setData(list.index(row, 0), Qt::Unchecked, Qt::CheckStateRole));
        QCOMPARE(node.data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        QCOMPARE(m_run->tally().categoryNode(ItemKind::Contacts)->selected, 0u);

        // The node's tick box ticks the whole category again.
        QVERIFY(tree.setData(node, Qt::Checked, Qt::CheckStateRole));
        QCOMPARE(node.data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        for (int row = 0; row < list.rowCount(); ++row)
            QCOMPARE(list.index(row, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
    }

    void searchNarrowsRowsIgnoringCase() {
        ItemListModel list;
        list.setRun(m_run.get());
        list.showCategory(ItemKind::Contacts);
        const int all = list.rowCount();
        const QString name = cellText(list, 0, 0);
        QVERIFY(name.size() >= 3);
        for (const QString& query : {name.toUpper(), name.toLower(), name.mid(1, 2).toUpper()}) {
            list.setSearch(query);
            QVERIFY2(list.rowCount() >= 1 && list.rowCount() <= all, qPrintable(query));
            for (int row = 0; row < list.rowCount(); ++row) {
                bool found = false;
                for (int column = 0; column < list.columnCount(); ++column)
                    found = found || cellText(list, row, column).contains(query, Qt::CaseInsensitive);
                QVERIFY2(found, qPrintable(query));
            }
        }
        list.setSearch(QStringLiteral("no such text anywhere"));
        QCOMPARE(list.rowCount(), 0);
        list.setSearch({});
        QCOMPARE(list.rowCount(), all);
    }
};

QTEST_MAIN(ItemListModelTest)
#include "ItemListModelTest.moc"
