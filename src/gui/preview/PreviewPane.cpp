#include "gui/preview/PreviewPane.h"

#include "ui_PreviewPane.h"

#include "backup/PreviewCopy.h"
#include "backup/ScanSource.h"
#include "core/NoteText.h"
#include "gui/app/LanguageTexts.h"
#include "gui/preview/ChatView.h"
#include "gui/preview/ContactCard.h"
#include "gui/preview/MediaPlayers.h"
#include "gui/preview/PictureDecoder.h"
#include "gui/preview/PreviewCopyDialog.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QUrl>

#include <filesystem>
#include <functional>
#include <system_error>

namespace orvelle::gui {

namespace {

const QString kSection = QStringLiteral("PageScan");
const QUrl kPictureUrl(QStringLiteral("orvelle-preview:picture"));
const QColor kRuleColour(0xC8, 0xC8, 0xC8);
const QColor kNoteColour(0x40, 0x40, 0x40);
const QColor kNoticeColour(0x80, 0x80, 0x80);
/// Longest note text put into the rich-text view.
constexpr int kMaxNoteText = 200000;
/// Pause after the last resize before a picture is scaled again.
constexpr int kRescaleDelayMs = 80;

enum class PreparedKind { None, Picture, Sound, Video };

/// A text of the pane in the current language, or its English default.
QString paneText(const char* key, const char* english) {
    const QString text = languageText(kSection, QString::fromLatin1(key));
    return text.isEmpty() ? QString::fromUtf8(english) : text;
}

QString bounded(const std::string& text, int limit) {
    QString value = QString::fromStdString(text);
    if (value.size() > limit) value = value.left(limit) + QChar(0x2026);
    return value;
}

PreparedKind kindOfCopy(const std::filesystem::path& copy) {
    const std::string name = copy.filename().string();
    if (name == kPicturePreviewName) return PreparedKind::Picture;
    if (name == kSoundPreviewName) return PreparedKind::Sound;
    if (name == kVideoPreviewName) return PreparedKind::Video;
    return PreparedKind::None;
}

/// True when `text` holds a run of more than `limit` characters without a
/// place to break a line: laying such a run out word by word is very slow.
bool hasLongUnbrokenRun(const QString& text, int limit) {
    int run = 0;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > limit) return true;
    }
    return false;
}

/// Runs without white space longer than this make the note wrap anywhere.
constexpr int kLongestWord = 1000;

QString headerLine() {
    return QStringLiteral("---------- ") + paneText("PreviewMessages", "Messages") + QStringLiteral(" ----------");
}

/// A conversation as chat bubbles under the header line: each headed
/// "<date> <who>:", where `sender(message)` names who wrote a message that is
/// not the user's; `attachment(message)` is its attachment line (or empty).
template <typename Message, typename Sender, typename Attachment>
std::vector<ChatBubble> conversationBubbles(const std::vector<Message>& messages, Sender sender,
                                            Attachment attachment) {
    const QString me = paneText("PreviewMe", "Me");
    std::vector<ChatBubble> bubbles;
    bubbles.reserve(messages.size() + 1);
    bubbles.push_back({{}, headerLine(), {}, false, false, true});
    for (const Message& message : messages) {
        ChatBubble bubble;
        bubble.fromMe = message.fromMe != 0;
        bubble.deleted = message.deleted != kLive;
        bubble.heading = QString::fromStdString(message.date) + QLatin1Char(' ') +
                         (bubble.fromMe ? me : QString::fromStdString(sender(message))) + QLatin1Char(':');
        bubble.text = bounded(message.text, kMaxBubbleText);
        bubble.attachment = attachment(message);
        bubbles.push_back(std::move(bubble));
    }
    return bubbles;
}

} // namespace

struct PreviewPane::State {
    Ui::PreviewPane ui;
    ChatView* chat = nullptr;
    QScrollArea* contactScroll = nullptr;
    ContactCard* contact = nullptr;
    MediaPlayers* players = nullptr;
    ScanSource* source = nullptr;

    std::string lastPrepared;     ///< stored path of the copy on disk
    QString preparedPath;         ///< that copy
    QString preparedName;         ///< its display name
    PreparedKind preparedKind = PreparedKind::None;
    QImage picture;               ///< decoded picture shown (rescaled on resize)
    QTimer rescale;
    std::function<void()> redraw; ///< shows the current record again (language change)
};

PreviewPane::PreviewPane(QWidget* parent) : QWidget(parent), m_state(std::make_unique<State>()) {
    State& s = *m_state;
    s.ui.setupUi(this);
    s.ui.PreviewEdit->document()->setDocumentMargin(10);
    s.chat = new ChatView(s.ui.MessagesList);
    s.chat->setObjectName(QStringLiteral("ChatView"));
    s.ui.MessagesList->addWidget(s.chat);
    s.contactScroll = new QScrollArea(s.ui.MessagesList);
    s.contactScroll->setObjectName(QStringLiteral("ContactScroll"));
    s.contactScroll->setWidgetResizable(true);
    s.contactScroll->setFrameShape(QFrame::NoFrame);
    s.contactScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    s.contact = new ContactCard;
    s.contact->setObjectName(QStringLiteral("ContactCard"));
    s.contactScroll->setWidget(s.contact);
    s.ui.MessagesList->addWidget(s.contactScroll);
    s.players = new MediaPlayers(this, this);

    s.ui.PreviewEdit->viewport()->installEventFilter(this);
    s.rescale.setSingleShot(true);
    s.rescale.setInterval(kRescaleDelayMs);
    connect(&s.rescale, &QTimer::timeout, this, [this] {
        if (m_state->preparedKind == PreparedKind::Picture && !m_state->picture.isNull()) showPicture();
    });
    connect(&LanguageTexts::instance(), &LanguageTexts::languageChanged, this, &PreviewPane::applyTexts);
    showRichText();
}

PreviewPane::~PreviewPane() { stopPlayers(); }

void PreviewPane::setSource(ScanSource* source) {
    if (m_state->source != source) {
        m_state->lastPrepared.clear();
        m_state->preparedPath.clear();
        m_state->preparedKind = PreparedKind::None;
    }
    m_state->source = source;
}

MediaPlayers& PreviewPane::players() { return *m_state->players; }
QImage PreviewPane::shownPicture() const {
    return m_state->preparedKind == PreparedKind::Picture ? m_state->picture : QImage();
}

void PreviewPane::showRichText() {
    State& s = *m_state;
    s.chat->chatModel()->clear();
    s.contact->clear();
    s.ui.PreviewStack->setCurrentWidget(s.ui.PreviewEdit);
}

void PreviewPane::showItemList(QWidget* page) {
    State& s = *m_state;
    s.ui.PreviewEdit->clear();
    s.picture = QImage();
    s.ui.MessagesList->setCurrentWidget(page);
    s.ui.PreviewStack->setCurrentWidget(s.ui.MessagesList);
}

void PreviewPane::clear() {
    State& s = *m_state;
    s.redraw = nullptr;
    s.lastPrepared.clear();
    s.preparedPath.clear();
    s.preparedKind = PreparedKind::None;
    s.picture = QImage();
    s.ui.PreviewEdit->clear();
    showRichText();
}

void PreviewPane::stopPlayers() { m_state->players->stopPlayers(); }

void PreviewPane::applyTexts() {
    m_state->contact->applyTexts();
    if (m_state->redraw) m_state->redraw();
}

// --- records ---------------------------------------------------------------

void PreviewPane::showConversation(const std::vector<MessageRecord>& messages) {
    const QString attachmentCaption = paneText("PreviewAttachment", "Attachment:");
    const auto sender = [](const MessageRecord& message) -> const std::string& {
        return message.contactName.empty() ? message.address : message.contactName;
    };
    const auto attachment = [&](const MessageRecord& message) {
        return message.attachmentName.empty()
                   ? QString()
                   : attachmentCaption + QLatin1Char(' ') + QString::fromStdString(message.attachmentName);
    };
    showChat(conversationBubbles(messages, sender, attachment));
    m_state->redraw = [this, messages] { showConversation(messages); };
}

void PreviewPane::showWhatsAppConversation(const std::vector<WhatsAppMessageRecord>& messages) {
    const auto sender = [](const WhatsAppMessageRecord& message) -> const std::string& {
        return message.senderName.empty() ? message.senderId : message.senderName;
    };
    showChat(conversationBubbles(messages, sender, [](const WhatsAppMessageRecord&) { return QString(); }));
    m_state->redraw = [this, messages] { showWhatsAppConversation(messages); };
}

void PreviewPane::showChat(std::vector<ChatBubble> bubbles) {
    m_state->chat->chatModel()->setBubbles(std::move(bubbles));
    m_state->chat->scrollToTop();
    showItemList(m_state->chat);
}

void PreviewPane::showContact(const ContactRecord& contact) {
    m_state->contact->showContact(contact);
    m_state->contactScroll->verticalScrollBar()->setValue(0);
    showItemList(m_state->contactScroll);
    m_state->redraw = [this, contact] { showContact(contact); };
}

void PreviewPane::showNote(const NoteRecord& note) {
    showRichText();
    State& s = *m_state;
    s.preparedKind = PreparedKind::None;
    s.picture = QImage();
    QTextBrowser* edit = s.ui.PreviewEdit;
    edit->clear();
    const QString title = bounded(note.title, kMaxNoteText);
    const QString text = bounded(std::string(noteBodyText(note)), kMaxNoteText);
    // A note without white space (a carved row of garbage, a pasted blob)
    // would take seconds to lay out at word boundaries.
    edit->setWordWrapMode(hasLongUnbrokenRun(title, kLongestWord) || hasLongUnbrokenRun(text, kLongestWord)
                              ? QTextOption::WrapAnywhere
                              : QTextOption::WrapAtWordBoundaryOrAnywhere);
    QTextCursor cursor(edit->document());
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    QTextBlockFormat left;
    left.setAlignment(Qt::AlignLeft);
    left.setTopMargin(6);
    QTextBlockFormat indented;
    indented.setAlignment(Qt::AlignLeft);
    indented.setLeftMargin(16);
    QTextCharFormat rule;
    rule.setForeground(kRuleColour);
    QTextCharFormat caption;
    caption.setForeground(note.deleted != kLive ? kDeletedColour : kNoteColour);
    caption.setFontWeight(QFont::Bold);
    QTextCharFormat body;
    body.setForeground(note.deleted != kLive ? kDeletedColour : kNoteColour);

    // insertText() takes the text as it is: nothing in a note is markup.
    cursor.setBlockFormat(centred);
    cursor.insertText(QStringLiteral("  ------------------------------------  "), rule);
    cursor.insertBlock(left);
    cursor.insertText(paneText("PreviewTitle", "Title:"), caption);
    cursor.insertBlock(indented);
    cursor.insertText(title, body);
    cursor.insertBlock(left);
    cursor.insertText(paneText("PreviewNote", "Note:"), caption);
    cursor.insertBlock(indented);
    cursor.insertText(text, body);
    edit->moveCursor(QTextCursor::Start);
    s.redraw = [this, note] { showNote(note); };
}

// --- media -----------------------------------------------------------------

void PreviewPane::showPaneMessage(const QString& text) {
    QTextBrowser* edit = m_state->ui.PreviewEdit;
    edit->clear();
    edit->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    QTextCursor cursor(edit->document());
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    centred.setTopMargin(12);
    QTextCharFormat format;
    format.setForeground(kNoticeColour);
    cursor.setBlockFormat(centred);
    cursor.insertText(text, format);
}

void PreviewPane::showPicture() {
    State& s = *m_state;
    QTextBrowser* edit = s.ui.PreviewEdit;
    edit->clear();
    if (s.picture.isNull()) {
        showPaneMessage(messageText(QStringLiteral("MSG0910")));
        return;
    }
    const int margin = int(edit->document()->documentMargin() * 2) + 4;
    const int width = std::max(16, edit->viewport()->width() - margin);
    const QImage scaled = s.picture.scaledToWidth(width, Qt::SmoothTransformation);
    edit->document()->addResource(QTextDocument::ImageResource, kPictureUrl, scaled);
    QTextCursor cursor(edit->document());
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    cursor.setBlockFormat(centred);
    QTextImageFormat image;
    image.setName(kPictureUrl.toString());
    image.setWidth(scaled.width());
    image.setHeight(scaled.height());
    cursor.insertImage(image);
}

bool PreviewPane::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_state->ui.PreviewEdit->viewport() && event->type() == QEvent::Resize &&
        m_state->preparedKind == PreparedKind::Picture && !m_state->picture.isNull())
        m_state->rescale.start();
    return QWidget::eventFilter(watched, event);
}

bool PreviewPane::prepareCopy(const std::string& storedPath, const QString& name, QString& previewPath) {
    State& s = *m_state;
    const std::filesystem::path stored = std::filesystem::u8path(storedPath);
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(stored, ec);
    if (ec) {
        showPaneMessage(messageText(QStringLiteral("MSG0910")));
        return false;
    }
    ScanSource* source = s.source;
    std::filesystem::path copy;
    Status status = kStatusOk;
    bool throughDialog = false;
    if (std::uint64_t(size) > kPreviewCopyDialogThreshold) {
        throughDialog = true;
        PreviewCopyDialog dialog(
            [source, stored](std::filesystem::path& out, PreviewProgress function, void* context) {
                return source->makePreviewCopy(stored, out, function, context);
            },
            name, window());
        if (dialog.run() != 1) {
            // Cancelled: nothing new is shown. A failure says so.
            if (dialog.status() != kStatusStopped) showPaneMessage(messageText(QStringLiteral("MSG0914")));
            return false;
        }
        status = dialog.status();
        copy = dialog.previewPath();
    } else {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        status = source->makePreviewCopy(stored, copy, nullptr, nullptr);
        QApplication::restoreOverrideCursor();
    }
    if (status != kStatusOk) {
        showPaneMessage(messageText(QStringLiteral("MSG0914")));
        return false;
    }
    previewPath = copy.empty() ? QString() : QString::fromStdString(copy.string());
    emit mediaPrepared(previewPath, throughDialog);
    return true;
}

void PreviewPane::showMedia(const std::string& storedPath, const std::string& name) {
    State& s = *m_state;
    s.redraw = nullptr;
    showRichText();
    const QString displayName = QString::fromStdString(name);
    if (!s.lastPrepared.empty() && storedPath == s.lastPrepared && !s.preparedPath.isEmpty()) {
        // The copy on disk is this file's: show it again without copying.
        if (s.preparedKind != PreparedKind::Picture) stopPlayers();
        showPrepared(displayName);
        return;
    }
    s.ui.PreviewEdit->clear();
    s.picture = QImage();
    s.preparedKind = PreparedKind::None;
    s.preparedPath.clear();
    // A new copy overwrites the files the players may still be reading.
    stopPlayers();
    if (!s.source) return;
    // The stored path is remembered only once its copy exists: a cancelled
    // or failed copy leaves nothing that could be shown again.
    s.lastPrepared.clear();
    QString previewPath;
    if (!prepareCopy(storedPath, displayName, previewPath)) return;
    if (previewPath.isEmpty()) {
        showPaneMessage(messageText(QStringLiteral("MSG0913")));
        return;
    }
    s.lastPrepared = storedPath;
    s.preparedPath = previewPath;
    s.preparedKind = kindOfCopy(previewPath.toStdString());
    if (s.preparedKind == PreparedKind::Picture) {
        // The copy is named tmp.jpg whatever the picture's format: the
        // decoder looks at the bytes.
        s.picture = decodePicture(previewPath);
    }
    showPrepared(displayName);
}

void PreviewPane::showPrepared(const QString& name) {
    State& s = *m_state;
    s.preparedName = name;
    switch (s.preparedKind) {
    case PreparedKind::Picture: showPicture(); break;
    case PreparedKind::Sound:
        showPaneMessage(formatMessage(messageText(QStringLiteral("MSG0911")), {name}));
        s.players->playSound(s.preparedPath);
        break;
    case PreparedKind::Video:
        showPaneMessage(formatMessage(messageText(QStringLiteral("MSG0911")), {name}));
        s.players->playVideo(s.preparedPath);
        break;
    case PreparedKind::None: showPaneMessage(messageText(QStringLiteral("MSG0913"))); break;
    }
}

} // namespace orvelle::gui
