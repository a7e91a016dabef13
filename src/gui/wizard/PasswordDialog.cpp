#include "gui/wizard/PasswordDialog.h"

#include "gui/app/LanguageTexts.h"
#include "gui/common/DialogScript.h"
#include "gui/common/Icons.h"
#include "gui/common/MessageBox.h"
#include "platform/ProgramFolder.h"
#include "ui_PasswordDialog.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QKeyEvent>
#include <QUrl>

namespace orvelle::gui {

namespace {

const QString kSection = QStringLiteral("DecryptionWnd");
/// The help page is missing beside the program ("%s": where it was looked for).
const QString kHelpPageMissing = QStringLiteral("MSG0312");
constexpr QSize kDialogSize{550, 270};

} // namespace

struct PasswordDialog::State {
    Ui::PasswordDialog ui;
};

PasswordDialog::PasswordDialog(QWidget* owner) : QDialog(owner), m_state(std::make_unique<State>()) {
    Ui::PasswordDialog& ui = m_state->ui;
    ui.setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    resize(kDialogSize);
    ui.LockIcon->setPixmap(skinPixmap(QStringLiteral("lock"), QSize(40, 40), devicePixelRatioF()));

    // Enter must never confirm a half-typed password: no button is a default one.
    for (QPushButton* button : {ui.BtnOK, ui.BtnCancel, ui.BtnRestoreLink}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    connect(ui.BtnOK, &QPushButton::clicked, this, [this] { done(kResultOk); });
    connect(ui.BtnCancel, &QPushButton::clicked, this, &PasswordDialog::reject);
    connect(ui.BtnRestoreLink, &QPushButton::clicked, this, &PasswordDialog::openHelpPage);
    connect(&LanguageTexts::instance(), &LanguageTexts::languageChanged, this, &PasswordDialog::applyTexts);
    applyTexts();
    ui.EditPassword->setFocus();
}

PasswordDialog::~PasswordDialog() = default;

QString PasswordDialog::password() const {
    return m_state->ui.EditPassword->text();
}

void PasswordDialog::applyTexts() {
    LanguageTexts::instance().applySection(kSection, this);
}

void PasswordDialog::reject() {
    done(kResultCancel);
}

void PasswordDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        done(kResultCancel);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept(); // swallowed: only the OK button confirms
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void PasswordDialog::openHelpPage() {
    const std::filesystem::path page = platform::executableFolder() / "help" / "index.html";
    const QString path = QString::fromStdString(page.string());
    if (!QFileInfo(path).isFile() || !QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        showMessageBox(this, MessageKind::Error, formatMessage(messageText(kHelpPageMissing), {path}));
}

std::optional<QString> askPassword(QWidget* owner) {
    if (DialogScript::active()) return DialogScript::takePassword();
    PasswordDialog dialog(owner);
    if (owner) {
        const QRect area = owner->window()->frameGeometry();
        dialog.move(area.center() - dialog.rect().center());
    }
    if (dialog.exec() != PasswordDialog::kResultOk) return std::nullopt;
    return dialog.password();
}

} // namespace orvelle::gui
