#pragma once
/// A conversation as bubbles: a centred grey header row, then one row per
/// message: a small "date name:" line and the text in a rounded bubble, on
/// the right for messages the device's owner sent (bluish), on the left for
/// received ones (light grey). A deleted message's text is orange. Texts are
/// drawn as plain text, whatever they contain.
///
/// A model over the messages and a delegate that measures and paints them,
/// so a chat of thousands of messages lays out in batches.

#include <QAbstractListModel>
#include <QColor>
#include <QListView>
#include <QStyledItemDelegate>

#include <vector>

namespace orvelle::gui {

/// One row of a chat as the view shows it.
struct ChatBubble {
    QString heading;    ///< "date name:" (empty for the header row)
    QString text;       ///< the message (or the header's label)
    QString attachment; ///< attachment line, or empty
    bool fromMe = false;
    bool deleted = false;
    bool header = false;
};

/// The text colour of deleted records everywhere in the preview.
inline const QColor kDeletedColour{0xF3, 0x73, 0x02};
/// Longest message text drawn in a bubble; the rest is cut with an ellipsis.
constexpr int kMaxBubbleText = 20000;

class ChatModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        HeadingRole = Qt::UserRole + 1,
        AttachmentRole,
        FromMeRole,
        DeletedRole,
        HeaderRole,
    };

    using QAbstractListModel::QAbstractListModel;
    void setBubbles(std::vector<ChatBubble> bubbles);
    void clear() { setBubbles({}); }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<ChatBubble> m_bubbles;
};

class ChatDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

class ChatView : public QListView {
    Q_OBJECT
public:
    explicit ChatView(QWidget* parent = nullptr);
    ChatModel* chatModel() const { return m_model; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    ChatModel* m_model;
};

} // namespace orvelle::gui
