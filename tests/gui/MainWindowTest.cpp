// The main window: its steps, the language switch re-applying every visible
// text at once, Enter and Escape, and one running copy per user.

#include "backup/BackupStore.h"
#include "gui/app/LanguageTexts.h"
#include "gui/app/SingleInstance.h"
#include "gui/common/DialogScript.h"
#include "gui/support/GuiFixture.h"
#include "gui/wizard/MainWindow.h"
#include "support/TempFolder.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLocalSocket>
#include <QProcess>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>

using namespace orvelle::gui;

namespace {

/// The texts a user sees on the window now: labels, buttons and list headers.
QStringList visibleTexts(QWidget* window) {
    QStringList texts;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(window)) continue;
        if (auto* label = qobject_cast<QLabel*>(widget)) texts << label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(widget)) texts << button->text();
        else if (auto* view = qobject_cast<QAbstractItemView*>(widget); view && view->model())
            for (int column = 0; column < view->model()->columnCount(); ++column)
                texts << view->model()->headerData(column, Qt::Horizontal).toString();
    }
    texts.removeAll(QString());
    return texts;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        m_program = std::make_unique<test::ProgramFolderCopy>();
        m_catalogue = std::make_unique<test::DemoCatalogue>();
    }
    void init() {
        DialogScript::start();
        LanguageTexts::instance().load(m_program->path());
    }
    void cleanup() {
        QVERIFY2(DialogScript::unscripted().isEmpty(), qPrintable(DialogScript::unscripted().join(", ")));
        DialogScript::stop();
    }

    void startsOnTheBackupListAtItsSize() {
        orvelle::test::TempFolder data;
        orvelle::BackupStore store({{m_catalogue->root()}, data.path()});
        MainWindow window(store);
        QCOMPARE(window.windowTitle(), QStringLiteral("Free Orvelle"));
        QCOMPARE(window.size(), QSize(1000, 665));
        QCOMPARE(window.minimumSize(), QSize(1000, 665));
        auto* steps = window.findChild<QStackedWidget*>(QStringLiteral("TabPage"));
        QCOMPARE(steps->currentIndex(), 0);
        window.findChild<QToolButton*>(QStringLiteral("OptStep2"))->click();
        QCOMPARE(steps->currentIndex(), 1);
        QVERIFY(!window.findChild<QToolButton*>(QStringLiteral("OptStep3"))->isEnabled());
    }

    void switchingTheLanguageChangesEveryVisibleText() {
        orvelle::test::TempFolder data;
        orvelle::BackupStore store({{m_catalogue->root()}, data.path()});
        MainWindow window(store);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // What stays in any language: names of products and the backups' own data.
        QStringList kept{QStringLiteral("Free Orvelle"), QStringLiteral("WhatsApp")};
        for (const auto& backup : store.listBackups())
            kept << QString::fromStdString(backup.displayName) << QString::fromStdString(backup.lastBackupDate)
                 << QString::fromStdString(backup.serialNumber);
        auto* steps = window.findChild<QStackedWidget*>(QStringLiteral("TabPage"));
        for (int step : {0, 1}) {
            LanguageTexts::instance().setLanguage(QStringLiteral("English"));
            window.findChild<QToolButton*>(step == 0 ? QStringLiteral("OptStep1") : QStringLiteral("OptStep2"))->click();
            QCOMPARE(steps->currentIndex(), step);
            const QStringList english = visibleTexts(&window);
            QAction* chinese = window.findChild<QAction*>(QStringLiteral("item_language_Chinese"));
            QVERIFY(chinese);
            chinese->trigger();
            QCOMPARE(LanguageTexts::instance().currentLanguage(), QStringLiteral("Chinese"));
            const QStringList translated = visibleTexts(&window);
            QVERIFY(!translated.isEmpty());
            for (const QString& text : english)
                if (!kept.contains(text))
                    QVERIFY2(!translated.contains(text),
                             qPrintable(QStringLiteral("step %1 kept the English \"%2\"").arg(step).arg(text)));
        }
        LanguageTexts::instance().setLanguage(QStringLiteral("English"));
    }

    void enterAndEscapeNeitherActNorClose() {
        orvelle::test::TempFolder data;
        orvelle::BackupStore store({{m_catalogue->root()}, data.path()});
        MainWindow window(store);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* steps = window.findChild<QStackedWidget*>(QStringLiteral("TabPage"));
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) QTest::keyClick(&window, key);
        QVERIFY(window.isVisible());
        QCOMPARE(steps->currentIndex(), 0);
        // With no scan and no results the window closes without a question.
        QVERIFY(window.close());
        QVERIFY(DialogScript::messageBoxes().isEmpty());
    }

    void aSecondStartBringsTheFirstWindowUpAndEnds() {
        orvelle::test::TempFolder home;
        const QString name = QStringLiteral("orvelle-test-%1").arg(QCoreApplication::applicationPid());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ORVELLE_INSTANCE_NAME"), name);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("HOME"), QString::fromStdString(home.path().string()));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(home.path().string()));
        environment.insert(QStringLiteral("ORVELLE_BACKUP_ROOT"), QString::fromStdString(m_catalogue->root().string()));
        const QString program = QStringLiteral(ORVELLE_BIN_DIR "/orvelle-gui");

        QProcess first;
        first.setProcessEnvironment(environment);
        first.start(program, {});
        QVERIFY(first.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                QLocalSocket probe;
                probe.connectToServer(name);
                return probe.waitForConnected(100);
            }(),
            20000);

        QProcess second;
        second.setProcessEnvironment(environment);
        second.start(program, {});
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);

        first.terminate();
        if (!first.waitForFinished(10000)) first.kill();
    }

private:
    std::unique_ptr<test::ProgramFolderCopy> m_program;
    std::unique_ptr<test::DemoCatalogue> m_catalogue;
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
