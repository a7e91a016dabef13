#include "gui/common/MessageBox.h"

#include "gui/app/LanguageTexts.h"
#include "gui/common/DialogScript.h"
#include "gui/common/Icons.h"
#include "ui_MessageBox.h"

#include <QKeyEvent>

namespace orvelle::gui {

namespace {

struct KindLook {
    const char* layout;   ///< object name of the box, as the language file addresses it
    const char* titleKey; ///< default title
    const char* icon;
    bool cancel;
};

KindLook lookOf(MessageKind kind) {
    switch (kind) {
    case MessageKind::Confirm: return {"MessageBox_Confirm", "MSG0402", "box-confirm", true};
    case MessageKind::Information: return {"MessageBox_Information", "MSG0403", "box-information", false};
    case MessageKind::Warning: return {"MessageBox_Warning", "MSG0405", "box-warning", true};
    case MessageKind::Question: return {"MessageBox_Question", "MSG0404", "box-question", true};
    case MessageKind::Error: break;
    }
    return {"MessageBox_Error", "MSG0401", "box-error", false};
}

} // namespace

MessageKind messageKindFromValue(int value) {
    return value >= 0 && value <= 4 ? static_cast<MessageKind>(value) : MessageKind::Error;
}

MessageBox::MessageBox(QWidget* owner, MessageKind kind, QSize size)
    : QDialog(owner), m_ui(std::make_unique<Ui::MessageBox>()), m_kind(messageKindFromValue(static_cast<int>(kind))) {
    m_ui->setupUi(this);
    const KindLook look = lookOf(m_kind);
    setObjectName(QString::fromLatin1(look.layout));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setMinimumSize(430, 170);
    resize(size.expandedTo(QSize(430, 170)));
    m_ui->icon->setPixmap(skinPixmap(QString::fromLatin1(look.icon), QSize(48, 48), devicePixelRatioF()));
    m_ui->cancelbtn->setVisible(look.cancel);
    applyTexts();
    setTitle(messageText(QString::fromLatin1(look.titleKey)));
    connect(m_ui->okbtn, &QPushButton::clicked, this, [this] { done(kAnswerOk); });
    connect(m_ui->cancelbtn, &QPushButton::clicked, this, [this] { done(kAnswerCancel); });
    m_ui->okbtn->setDefault(false);
    m_ui->okbtn->setAutoDefault(false);
    m_ui->cancelbtn->setAutoDefault(false);
    m_ui->okbtn->setFocus();
}

MessageBox::~MessageBox() = default;

void MessageBox::applyTexts() {
    LanguageTexts::instance().applySection(QStringLiteral("MessageBox"), this);
}

void MessageBox::setTitle(const QString& title) {
    setWindowTitle(title);
    m_ui->title->setText(title);
}

void MessageBox::setText(const QString& text) { m_ui->message->setText(text); }
QString MessageBox::text() const { return m_ui->message->text(); }
void MessageBox::setCancelShown(bool shown) { m_ui->cancelbtn->setVisible(shown); }

int MessageBox::run() {
    if (DialogScript::active())
        return DialogScript::takeMessageBoxAnswer(objectName().mid(int(qstrlen("MessageBox_"))), text());
    if (parentWidget()) {
        const QRect owner = parentWidget()->window()->frameGeometry();
        move(owner.center() - rect().center());
    }
    const int result = exec();
    return result == kAnswerOk ? kAnswerOk : kAnswerCancel;
}

void MessageBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        done(kAnswerCancel);
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Enter presses the focused button only.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) button->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

int showMessageBox(QWidget* owner, MessageKind kind, const QString& text, const QString& title, QSize size) {
    MessageBox box(owner, kind, size);
    if (!title.isEmpty()) box.setTitle(title);
    box.setText(text);
    return box.run();
}

} // namespace orvelle::gui
