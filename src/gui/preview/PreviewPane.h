#pragma once
/// The preview pane at the right of the result list: a chat as bubbles
/// (sent right, received left, deleted messages in orange), a contact card
/// (empty fields hidden), a note, a picture (JPEG, PNG, GIF, HEIC/HEIF), or a
/// sound or video played by the external player. Media are first copied out
/// of the backup through the scan source's makePreviewCopy; files over 64 KiB
/// behind a progress dialog that can be cancelled.
///
/// Two modes: rich text (`PreviewEdit` shown) and item list (`MessagesList`
/// shown). The result views decide what to preview and in which mode.

#include "core/ItemRecords.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvelle {
class ScanSource;
}

namespace orvelle::gui {

class MediaPlayers;
struct ChatBubble;

/// Files up to this size are copied for a preview without the progress dialog.
constexpr std::uint64_t kPreviewCopyDialogThreshold = 65536;

class PreviewPane : public QWidget {
    Q_OBJECT
public:
    explicit PreviewPane(QWidget* parent = nullptr);
    ~PreviewPane() override;

    /// The source media are copied from (null: media previews show nothing).
    void setSource(ScanSource* source);

    /// Copies the stored file out and shows or plays it.
    void showMedia(const std::string& storedPath, const std::string& name);
    void showConversation(const std::vector<MessageRecord>& messages);
    void showWhatsAppConversation(const std::vector<WhatsAppMessageRecord>& messages);
    void showContact(const ContactRecord& contact);
    void showNote(const NoteRecord& note);
    /// Empties both modes and forgets the last prepared media file.
    void clear();
    /// Ends the players this program started.
    void stopPlayers();
    /// Sets the texts of the current language again.
    void applyTexts();

    /// The players (tests change their programs).
    MediaPlayers& players();
    /// The picture shown, at its decoded size (null when none).
    QImage shownPicture() const;

signals:
    /// A media file was copied out for a preview (`throughDialog`: behind the
    /// progress dialog). Not emitted when the last copy was shown again.
    void mediaPrepared(const QString& previewPath, bool throughDialog);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showRichText();
    void showItemList(QWidget* page);
    /// Shows `bubbles` in the chat view, scrolled to the top.
    void showChat(std::vector<ChatBubble> bubbles);
    void showPrepared(const QString& name);
    void showPicture();
    void showPaneMessage(const QString& text);
    bool prepareCopy(const std::string& storedPath, const QString& name, QString& previewPath);

    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace orvelle::gui
