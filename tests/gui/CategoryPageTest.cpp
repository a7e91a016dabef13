// The category page: "select all" follows the options and sets them all,
// Next is enabled while one is ticked, and an encrypted backup's password is
// asked for (an empty one refused once, a wrong one asked for again). The
// password dialog: Enter never confirms, Escape cancels, 256 characters at most.

#include "gui/wizard/CategoryPage.h"

#include "backup/BackupStore.h"
#include "gui/app/LanguageTexts.h"
#include "gui/common/DialogScript.h"
#include "gui/common/ScanChoice.h"
#include "gui/support/GuiFixture.h"
#include "gui/wizard/PasswordDialog.h"
#include "support/EncryptedFixture.h"
#include "support/TempFolder.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <fstream>
#include <memory>

using namespace orvelle;
using namespace orvelle::gui;
namespace fs = std::filesystem;

namespace {

QString optionName(std::size_t i) {
    return QString::fromLatin1(kCategories[i].optionControl.data(),
                               qsizetype(kCategories[i].optionControl.size()));
}

/// The categories the page offers (QQ and WeChat have no option).
const std::size_t kOffered =
    std::size_t(std::count_if(kCategories.begin(), kCategories.end(), onCategoryPage));

const QString kDemoPassword = QString::fromLatin1(orvelle::test::kDemoPassword.data());

} // namespace

class CategoryPageTest : public QObject {
    Q_OBJECT

private:
    gui::test::ProgramFolderCopy m_program;
    gui::test::DemoCatalogue m_catalogue;
    orvelle::test::TempFolder m_data{"orvelle-gui-data"};
    BackupInfo m_encrypted;
    ScanChoice m_choice;
    std::unique_ptr<CategoryPage> m_page;

    QCheckBox* option(std::size_t i) const { return m_page->findChild<QCheckBox*>(optionName(i)); }
    QCheckBox* selectAll() const { return m_page->findChild<QCheckBox*>(QStringLiteral("ChkSelAll")); }
    QPushButton* next() const { return m_page->findChild<QPushButton*>(QStringLiteral("BtnNext2")); }
    int tickedCount() const {
        int count = 0;
        for (std::size_t i = 0; i < kOffered; ++i)
            count += m_choice.ticked[i] ? 1 : 0;
        return count;
    }
    static QString box(const char* kind, const char* key) {
        return QString::fromLatin1(kind) + QStringLiteral(": ") + messageText(QLatin1String(key));
    }

private slots:
    void initTestCase() {
        BackupStore store(BackupStoreOptions{{m_catalogue.root()}, m_data.path()});
        QCOMPARE(store.readBackupFolder(m_catalogue.encryptedBackup(), m_encrypted), kStatusOk);
        QVERIFY(m_encrypted.encrypted);
    }

    void init() {
        m_choice = ScanChoice{};
        m_page = std::make_unique<CategoryPage>(m_choice);
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
    }

    // --- ticking ---

    void everyOptionIsTickedAtStart() {
        QCOMPARE(kOffered, std::size_t(14));
        for (std::size_t i = 0; i < kOffered; ++i) {
            QVERIFY2(option(i), qPrintable(optionName(i)));
            QVERIFY(option(i)->isChecked());
        }
        QCOMPARE(tickedCount(), 14);
        QCOMPARE(selectAll()->checkState(), Qt::Checked);
        QVERIFY(next()->isEnabled());
    }

    void selectAllFollowsTheOptions_data() {
        QTest::addColumn<int>("ticked"); // the first `ticked` options stay ticked
        QTest::addColumn<int>("state");
        QTest::newRow("none") << 0 << int(Qt::Unchecked);
        QTest::newRow("one") << 1 << int(Qt::PartiallyChecked);
        QTest::newRow("thirteen") << 13 << int(Qt::PartiallyChecked);
        QTest::newRow("all, ticked one by one") << 14 << int(Qt::Checked);
    }

    void selectAllFollowsTheOptions() {
        QFETCH(int, ticked);
        QFETCH(int, state);
        for (std::size_t i = 0; i < kOffered; ++i)
            QTest::mouseClick(option(i), Qt::LeftButton);
        QCOMPARE(selectAll()->checkState(), Qt::Unchecked);
        QVERIFY(!next()->isEnabled());
        for (int i = 0; i < ticked; ++i)
            QTest::mouseClick(option(std::size_t(i)), Qt::LeftButton);
        QCOMPARE(int(selectAll()->checkState()), state);
        QCOMPARE(next()->isEnabled(), ticked > 0);
        QCOMPARE(tickedCount(), ticked);
        for (std::size_t i = 0; i < kOffered; ++i)
            QCOMPARE(m_choice.ticked[i], int(i) < ticked);
        // QQ and WeChat come with any ticked option of the chats and call logs (the fifth on).
        for (std::size_t i = kOffered; i < kCategories.size(); ++i)
            QCOMPARE(m_choice.ticked[i], ticked > 4);
    }

    void clickingSelectAllSetsEveryOption() {
        QTest::mouseClick(option(4), Qt::LeftButton); // some ticked: half selected
        QCOMPARE(selectAll()->checkState(), Qt::PartiallyChecked);
        // From half selected, from all and from none a click never lands half way.
        const Qt::CheckState expected[] = {Qt::Checked, Qt::Unchecked, Qt::Checked, Qt::Unchecked};
        for (Qt::CheckState state : expected) {
            QTest::mouseClick(selectAll(), Qt::LeftButton);
            QCOMPARE(selectAll()->checkState(), state);
            const bool on = state == Qt::Checked;
            for (std::size_t i = 0; i < kOffered; ++i)
                QCOMPARE(option(i)->isChecked(), on);
            QCOMPARE(tickedCount(), on ? 14 : 0);
            QCOMPARE(next()->isEnabled(), on);
        }
    }

    // --- Next and the password ---

    void plainBackupStartsAtOnce() {
        m_choice.password = QStringLiteral("left over");
        QSignalSpy scan(m_page.get(), &CategoryPage::scanRequested);
        QTest::mouseClick(next(), Qt::LeftButton);
        QCOMPARE(scan.count(), 1);
        QVERIFY(m_choice.password.isEmpty());
        QVERIFY(DialogScript::messageBoxes().isEmpty());
        // Next waits for the scan to answer, whatever the options do meanwhile.
        QVERIFY(!next()->isEnabled());
        QTest::mouseClick(option(0), Qt::LeftButton);
        QVERIFY(!next()->isEnabled());
        m_page->enableNext();
        QVERIFY(next()->isEnabled());
    }

    void passwordFlows_data() {
        QTest::addColumn<QList<QVariant>>("passwords"); // null variant: the dialog is cancelled
        QTest::addColumn<QList<int>>("answers");        // answers to the empty-password warning
        QTest::addColumn<bool>("scan");
        QTest::addColumn<QString>("password");
        const QVariant cancel;
        const QVariant empty = QString();
        const QVariant right = kDemoPassword;
        QTest::newRow("right password") << QList<QVariant>{right} << QList<int>{} << true << kDemoPassword;
        QTest::newRow("empty, warned, then right")
            << QList<QVariant>{empty, right} << QList<int>{1} << true << kDemoPassword;
        QTest::newRow("empty and insisted on")
            << QList<QVariant>{empty} << QList<int>{2} << true << QString();
        QTest::newRow("cancelled") << QList<QVariant>{cancel} << QList<int>{} << false << QString();
        QTest::newRow("empty, warned, then cancelled")
            << QList<QVariant>{empty, cancel} << QList<int>{1} << false << QString();
    }

    void passwordFlows() {
        QFETCH(QList<QVariant>, passwords);
        QFETCH(QList<int>, answers);
        QFETCH(bool, scan);
        QFETCH(QString, password);
        m_choice.backup = m_encrypted;
        for (const QVariant& entered : passwords)
            DialogScript::enterPassword(entered.isNull() ? std::nullopt
                                                         : std::optional<QString>(entered.toString()));
        for (int answer : answers)
            DialogScript::answerMessageBox(answer);
        QSignalSpy scanRequested(m_page.get(), &CategoryPage::scanRequested);
        QTest::mouseClick(next(), Qt::LeftButton);
        QCOMPARE(scanRequested.count(), scan ? 1 : 0);
        QCOMPARE(m_choice.password, password);
        QStringList boxes;
        for (int i = 0; i < answers.size(); ++i)
            boxes << box("Warning", "MSG0301");
        QCOMPARE(DialogScript::messageBoxes(), boxes);
        QVERIFY(!messageText(QStringLiteral("MSG0301")).isEmpty());
        // Cancelling leaves the page as it was; a started scan keeps Next off.
        QCOMPARE(next()->isEnabled(), !scan);
    }

    void wrongPasswordAsksAgain_data() {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("new password") << false;
        QTest::newRow("cancelled") << true;
    }

    void wrongPasswordAsksAgain() {
        QFETCH(bool, cancel);
        m_choice.backup = m_encrypted;
        DialogScript::enterPassword(QStringLiteral("wrong"));
        QSignalSpy scanRequested(m_page.get(), &CategoryPage::scanRequested);
        QTest::mouseClick(next(), Qt::LeftButton);
        QCOMPARE(scanRequested.count(), 1);
        QCOMPARE(m_choice.password, QStringLiteral("wrong"));

        DialogScript::answerMessageBox(1);
        DialogScript::enterPassword(cancel ? std::nullopt : std::optional<QString>(kDemoPassword));
        m_page->passwordWasWrong();
        QCOMPARE(DialogScript::messageBoxes(), QStringList{box("Information", "MSG0302")});
        QVERIFY(!messageText(QStringLiteral("MSG0302")).isEmpty());
        QCOMPARE(scanRequested.count(), cancel ? 1 : 2);
        if (!cancel) QCOMPARE(m_choice.password, kDemoPassword);
        QCOMPARE(next()->isEnabled(), cancel);
    }

    // --- the password dialog itself ---

    void dialogIgnoresEnterAndCancelsOnEscape() {
        PasswordDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("EditPassword"));
        QCOMPARE(edit->echoMode(), QLineEdit::Password);
        for (auto* button : dialog.findChildren<QPushButton*>()) {
            QVERIFY(!button->isDefault());
            QVERIFY(!button->autoDefault());
        }
        QTest::keyClicks(edit, QStringLiteral("secret"));
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClick(edit, Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), 0);
        QCOMPARE(dialog.password(), QStringLiteral("secret"));
        QTest::keyClick(edit, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), PasswordDialog::kResultCancel);
    }

    void dialogConfirmsWithOk() {
        PasswordDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.findChild<QLineEdit*>(QStringLiteral("EditPassword"))->setText(kDemoPassword);
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("BtnOK")), Qt::LeftButton);
        QCOMPARE(dialog.result(), PasswordDialog::kResultOk);
        QCOMPARE(dialog.password(), kDemoPassword);
    }

    void dialogKeepsAtMost256Characters() {
        PasswordDialog dialog;
        auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("EditPassword"));
        edit->setText(QString(300, QLatin1Char('p')));
        QCOMPARE(dialog.password().size(), 256);
        edit->clear();
        QTest::keyClicks(edit, QString(260, QLatin1Char('q')));
        QCOMPARE(dialog.password(), QString(256, QLatin1Char('q')));
    }
};

QTEST_MAIN(CategoryPageTest)
#include "CategoryPageTest.moc"
