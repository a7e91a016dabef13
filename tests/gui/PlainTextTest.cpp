// Texts from a backup never become rich text in a widget: the tool tips of
// the backup list, the result lists and the export details show a hostile
// name's own characters, and the export window's labels of paths are plain.

#include "backup/BackupStore.h"
#include "gui/common/DialogScript.h"
#include "gui/common/PlainText.h"
#include "gui/export/ExportDetailModel.h"
#include "gui/export/ExportWindow.h"
#include "gui/results/ItemListModel.h"
#include "gui/support/GuiFixture.h"
#include "gui/wizard/BackupListModel.h"
#include "scan/ScanRun.h"
#include "support/FakeScanSource.h"
#include "support/TempFolder.h"

#include <QLabel>
#include <QTextDocument>
#include <QtTest>

#include <memory>

using namespace orvelle;
using namespace orvelle::gui;

namespace {

/// A device name that loads a file and sets its own look when taken for HTML.
const char* const kHostileName = "<img src=\"file:///etc/passwd\"><b>Ann</b>'s iPhone &amp; more";

/// What QToolTip shows of `tip`: the characters of the rich text Qt takes it
/// for, or `tip` itself. A tag that took effect is missing from it (an image
/// leaves U+FFFC), an entity shows as its character.
QString shownText(const QString& tip) {
    if (!Qt::mightBeRichText(tip)) return tip;
    QTextDocument document;
    document.setHtml(tip);
    return document.toPlainText();
}

/// A source whose one contact bears the hostile name.
class HostileSource : public orvelle::test::FakeScanSource {
public:
    Status scanContacts(std::vector<ContactRecord>& contacts) override {
        ContactRecord contact;
        contact.name = kHostileName;
        contact.phones = "+12025550199";
        contacts.push_back(contact);
        return kStatusOk;
    }
};

} // namespace

class PlainTextTest : public QObject {
    Q_OBJECT

    std::unique_ptr<gui::test::ProgramFolderCopy> m_program;
    std::unique_ptr<BackupStore> m_store;
    std::unique_ptr<ScanRun> m_run;

private slots:
    void initTestCase() {
        DialogScript::start();
        m_program = std::make_unique<gui::test::ProgramFolderCopy>();
        m_store = std::make_unique<BackupStore>(BackupStoreOptions{{}, {}});
        m_run = std::make_unique<ScanRun>(*m_store, nullptr,
                                          [](int, BackupStore*) { return std::make_unique<HostileSource>(); });
        ScanRequest request;
        request.categories = {ItemKind::Contacts};
        QCOMPARE(m_run->start(request), kStatusOk);
        QTRY_VERIFY_WITH_TIMEOUT(m_run->scanFinished(), 30000);
        m_run->wait();
    }

    void toolTipsShowTheirCharacters_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("image") << QStringLiteral("<img src=\"file:///etc/passwd\">");
        QTest::newRow("bold") << QStringLiteral("<b>x</b>");
        QTest::newRow("entity") << QStringLiteral("a &amp; b");
        QTest::newRow("signs") << QStringLiteral("a & b < c > d");
        QTest::newRow("doctype") << QStringLiteral("<!DOCTYPE html><a href=\"https://x.example\">open</a>");
        QTest::newRow("second line") << QStringLiteral("line one\n<b>line two</b>");
        QTest::newRow("plain") << QStringLiteral("IMG_0001.JPG");
    }

    void toolTipsShowTheirCharacters() {
        QFETCH(QString, text);
        QCOMPARE(shownText(plainToolTip(text)), text);
    }

    void backupListToolTipShowsTheNameAsText() {
        QVERIFY(Qt::mightBeRichText(QString::fromUtf8(kHostileName))); // as the tool tip held it before
        BackupInfo backup;
        backup.displayName = kHostileName;
        backup.folder = "/backups/<b>folder</b>";
        BackupListModel model;
        model.setBackups({backup});
        const QString tip =
            model.data(model.index(0, BackupListModel::NameColumn), Qt::ToolTipRole).toString();
        QCOMPARE(shownText(tip), QString::fromUtf8(kHostileName) + u'\n' + QStringLiteral("/backups/<b>folder</b>"));
    }

    void resultListToolTipShowsTheNameAsText() {
        ItemListModel list;
        list.setRun(m_run.get());
        list.showCategory(ItemKind::Contacts);
        QCOMPARE(list.rowCount(), 1);
        QStringList shown;
        for (int column = 0; column < list.columnCount(); ++column) {
            const QString tip = list.data(list.index(0, column), Qt::ToolTipRole).toString();
            if (!tip.isEmpty()) shown << shownText(tip);
        }
        QVERIFY2(shown.contains(QString::fromUtf8(kHostileName)), qPrintable(shown.join(u'|')));
    }

    void exportDetailToolTipsShowTheirText() {
        ExportDetailModel model;
        const QString file = QStringLiteral("/out/Contacts/<img src=x>.vcf");
        const QString status = QStringLiteral("<b>Permission denied</b>");
        model.addRows({{file, status, true}});
        QCOMPARE(shownText(model.data(model.index(0, ExportDetailModel::FileColumn), Qt::ToolTipRole).toString()),
                 file);
        QCOMPARE(
            shownText(model.data(model.index(0, ExportDetailModel::StatusColumn), Qt::ToolTipRole).toString()),
            status);
    }

    void exportWindowShowsPathsAsPlainText() {
        orvelle::test::TempFolder out("orvelle-plain-text");
        // '<' and '>' cannot be in a Windows file name; an entity can.
        const std::filesystem::path destination = out / "a &amp; b";
        ExportWindow window(*m_run, destination, QString::fromUtf8(kHostileName), nullptr);
        for (const char* name : {"destination", "current"}) {
            auto* label = window.findChild<QLabel*>(QString::fromLatin1(name));
            QVERIFY2(label, name);
            QCOMPARE(label->textFormat(), Qt::PlainText);
        }
        auto* label = window.findChild<QLabel*>(QStringLiteral("destination"));
        QVERIFY(label->text().endsWith(QStringLiteral("a &amp; b")));
        QVERIFY(shownText(label->toolTip()).endsWith(QStringLiteral("a &amp; b")));
    }
};

QTEST_MAIN(PlainTextTest)
#include "PlainTextTest.moc"
