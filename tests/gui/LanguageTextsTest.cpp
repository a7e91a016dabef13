// Language files and message boxes: texts by section and key, verbatim
// values, the message formats, and the five kinds of box.

#include "gui/app/LanguageTexts.h"
#include "gui/common/DialogScript.h"
#include "gui/common/MessageBox.h"
#include "support/TempFolder.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace orvelle::gui;

namespace {

void writeProgramFolder(const std::filesystem::path& folder, const std::string& config, const std::string& english) {
    orvelle::test::writeFile(folder / "config.ini", config);
    orvelle::test::writeFile(folder / "Languages" / "English.ini", english);
}

} // namespace

class LanguageTextsTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { DialogScript::stop(); }

    void textsAreVerbatimAndTheFirstKeyWins() {
        orvelle::test::TempFolder folder;
        writeProgramFolder(folder.path(), "[Languages]\nEnglish=English\n",
                           "[Messages]\nMSG0301=a=b, c\nMSG0301=second\nMSG0302=\\n stays\n"
                           "[PageScan]\nLblPercent=Done\n");
        auto& texts = LanguageTexts::instance();
        texts.load(folder.path());
        QCOMPARE(texts.currentLanguage(), QStringLiteral("English"));
        QCOMPARE(texts.message(QStringLiteral("MSG0301")), QStringLiteral("a=b, c"));
        QCOMPARE(texts.message(QStringLiteral("MSG0302")), QStringLiteral("\\n stays"));
        QCOMPARE(texts.message(QStringLiteral("MSG9999")), QString());
        QCOMPARE(texts.text(QStringLiteral("Nowhere"), QStringLiteral("LblPercent")), QString());
    }

    void aMissingLanguageFileLeavesTheFormsTexts() {
        orvelle::test::TempFolder folder;
        writeProgramFolder(folder.path(), "[DefaultLanguage]\nDefault=Klingon\n", "[MainWnd]\nLabel=English\n");
        auto& texts = LanguageTexts::instance();
        texts.load(folder.path());
        QCOMPARE(texts.currentLanguage(), QStringLiteral("Klingon"));
        QWidget window;
        auto* label = new QLabel(QStringLiteral("form text"), &window);
        label->setObjectName(QStringLiteral("Label"));
        texts.applySection(QStringLiteral("MainWnd"), &window);
        QCOMPARE(label->text(), QStringLiteral("form text"));
        QCOMPARE(texts.message(QStringLiteral("MSG0401")), QString());
    }

    void switchingTheLanguageStoresItAndTellsTheWindows() {
        orvelle::test::TempFolder folder;
        writeProgramFolder(folder.path(), "[DefaultLanguage]\nDefault=English\n[Languages]\nEnglish=English\nOther=Other\n",
                           "[MainWnd]\nLabel=English\n");
        orvelle::test::writeFile(folder.path() / "Languages" / "Other.ini", "[MainWnd]\nLabel=Autre\n");
        auto& texts = LanguageTexts::instance();
        texts.load(folder.path());
        QCOMPARE(int(texts.languages().size()), 2);
        QWidget window;
        auto* label = new QLabel(&window);
        label->setObjectName(QStringLiteral("Label"));
        QObject::connect(&texts, &LanguageTexts::languageChanged, &window,
                         [&] { texts.applySection(QStringLiteral("MainWnd"), &window); });
        QSignalSpy changed(&texts, &LanguageTexts::languageChanged);
        QVERIFY(texts.setLanguage(QStringLiteral("Other")));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(label->text(), QStringLiteral("Autre"));
        texts.load(folder.path()); // read back from config.ini
        QCOMPARE(texts.currentLanguage(), QStringLiteral("Other"));
    }

    void languageNamesCannotLeaveTheLanguageFolder() {
        orvelle::test::TempFolder folder;
        writeProgramFolder(folder.path(), "[DefaultLanguage]\nDefault=../secret\n", "");
        orvelle::test::writeFile(folder.path() / "secret.ini", "[Messages]\nMSG0401=leaked\n");
        LanguageTexts::instance().load(folder.path());
        QCOMPARE(LanguageTexts::instance().message(QStringLiteral("MSG0401")), QString());
    }

    void messageFormatsFillTheirPlaces_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("expected");
        QTest::newRow("statistics") << "Selected %s (%d) of %s (%d)" << QStringList{"1.00 KB", "2", "3.00 MB", "9"}
                                    << "Selected 1.00 KB (2) of 3.00 MB (9)";
        QTest::newRow("percent") << "%s %d%%" << QStringList{"Copying", "40"} << "Copying 40%";
        QTest::newRow("width") << "[%3d]" << QStringList{"7"} << "[7]";
        QTest::newRow("too few arguments") << "%s and %s" << QStringList{"one"} << "one and ";
        QTest::newRow("too many arguments") << "%d" << QStringList{"1", "2"} << "1";
        QTest::newRow("unknown place kept") << "%n %x 100%" << QStringList{"1"} << "%n %x 100%";
        QTest::newRow("no places") << "plain" << QStringList{} << "plain";
    }
    void messageFormatsFillTheirPlaces() {
        QFETCH(QString, format);
        QFETCH(QStringList, arguments);
        QFETCH(QString, expected);
        QCOMPARE(formatMessage(format, arguments), expected);
    }

    void boxesTakeTheirKindsLookAndDefaultTitle_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("cancel");
        QTest::newRow("error") << 0 << "Error title" << false;
        QTest::newRow("confirm") << 1 << "Confirm title" << true;
        QTest::newRow("information") << 2 << "Information title" << false;
        QTest::newRow("warning") << 3 << "Warning title" << true;
        QTest::newRow("question") << 4 << "Question title" << true;
        QTest::newRow("unknown is error") << 7 << "Error title" << false;
    }
    void boxesTakeTheirKindsLookAndDefaultTitle() {
        QFETCH(int, kind);
        QFETCH(QString, title);
        QFETCH(bool, cancel);
        orvelle::test::TempFolder folder;
        writeProgramFolder(folder.path(), "",
                           "[Messages]\nMSG0401=Error title\nMSG0402=Confirm title\nMSG0403=Information title\n"
                           "MSG0404=Question title\nMSG0405=Warning title\n[MessageBox]\nokbtn=Fine\n");
        LanguageTexts::instance().load(folder.path());
        MessageBox box(nullptr, messageKindFromValue(kind));
        QCOMPARE(box.windowTitle(), title);
        QCOMPARE(box.findChild<QPushButton*>(QStringLiteral("okbtn"))->text(), QStringLiteral("Fine"));
        QCOMPARE(box.findChild<QPushButton*>(QStringLiteral("cancelbtn"))->isVisibleTo(&box), cancel);
        box.setTitle(QStringLiteral("Given"));
        QCOMPARE(box.windowTitle(), QStringLiteral("Given"));
    }

    void escapeCancelsAndEnterPressesOnlyTheFocusedButton() {
        MessageBox box(nullptr, MessageKind::Question);
        box.setText(QStringLiteral("Go on?"));
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        auto* cancel = box.findChild<QPushButton*>(QStringLiteral("cancelbtn"));
        cancel->setFocus();
        QTest::keyClick(&box, Qt::Key_Return);
        QCOMPARE(box.result(), kAnswerCancel);
        box.show();
        box.setResult(0);
        QTest::keyClick(&box, Qt::Key_Escape);
        QCOMPARE(box.result(), kAnswerCancel);
        QVERIFY(!box.isVisible());
    }

    void scriptedBoxesAnswerWithoutShowing() {
        DialogScript::start();
        DialogScript::answerMessageBox(kAnswerOk);
        QCOMPARE(showMessageBox(nullptr, MessageKind::Warning, QStringLiteral("first")), kAnswerOk);
        // An unscripted box is answered "cancel" and recorded, never shown.
        QCOMPARE(showMessageBox(nullptr, MessageKind::Error, QStringLiteral("second")), kAnswerCancel);
        QCOMPARE(DialogScript::messageBoxes(), (QStringList{"Warning: first", "Error: second"}));
        QCOMPARE(DialogScript::unscripted().size(), 1);
    }
};

QTEST_MAIN(LanguageTextsTest)
#include "LanguageTextsTest.moc"
