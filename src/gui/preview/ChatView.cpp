#include "gui/preview/ChatView.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace orvelle::gui {

namespace {

constexpr int kRowMargin = 6;       ///< space around a row's contents
constexpr int kBubblePadding = 8;   ///< space between a bubble's edge and its text
constexpr int kHeadingGap = 2;      ///< between the heading line and the bubble
constexpr int kHeaderRowHeight = 22;
constexpr int kMinBubbleWidth = 60;

const QColor kSentBubble(0xD4, 0xE6, 0xFB);
const QColor kReceivedBubble(0xEC, 0xEC, 0xEC);
const QColor kBubbleText(0x20, 0x20, 0x20);
const QColor kHeadingText(0x80, 0x80, 0x80);
const QColor kHeaderText(0xA8, 0xA8, 0xA8);

/// Runs without white space longer than this are broken anywhere: breaking
/// them at word boundaries first is very slow.
constexpr int kLongestWord = 200;

bool hasLongUnbrokenRun(const QString& text) {
    int run = 0;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > kLongestWord) return true;
    }
    return false;
}

/// Lays `text` out in lines of at most `width` pixels: at word boundaries,
/// inside a word only when it does not fit on a line of its own.
QSize layOut(QTextLayout& layout, const QString& text, const QFont& font, int width) {
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QString(QChar::LineSeparator));
    lines.replace(QLatin1Char('\n'), QChar::LineSeparator);
    lines.replace(QLatin1Char('\r'), QChar::LineSeparator);
    layout.setText(lines);
    layout.setFont(font);
    QTextOption option;
    option.setWrapMode(hasLongUnbrokenRun(lines) ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    qreal height = 0;
    qreal widest = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, height));
        height += line.height();
        widest = std::max(widest, line.naturalTextWidth());
    }
    layout.endLayout();
    return {int(std::ceil(widest)), int(std::ceil(height))};
}

QFont headingFont(QFont font) {
    font.setPointSizeF(font.pointSizeF() * 0.85);
    return font;
}

QFont attachmentFont(QFont font) {
    font.setItalic(true);
    return font;
}

/// Everything the painter needs, measured once per call.
struct BubbleGeometry {
    QRect heading;
    QRect bubble;
    QRect text;
    QRect attachment;
    int maxText = 0; ///< width the text was laid out in
    int rowHeight = 0;
};

int viewWidth(const QStyleOptionViewItem& option) {
    if (const auto* view = qobject_cast<const QAbstractItemView*>(option.widget))
        return view->viewport()->width();
    return option.rect.width();
}

BubbleGeometry measure(const QStyleOptionViewItem& option, const QModelIndex& index, int width, int top) {
    BubbleGeometry geometry;
    const bool fromMe = index.data(ChatModel::FromMeRole).toBool();
    const QString heading = index.data(ChatModel::HeadingRole).toString();
    const QString text = index.data(Qt::DisplayRole).toString();
    const QString attachment = index.data(ChatModel::AttachmentRole).toString();

    const int usable = std::max(width - 2 * kRowMargin, kMinBubbleWidth);
    const int maxBubble = std::max(kMinBubbleWidth, usable * 4 / 5);
    const int maxText = maxBubble - 2 * kBubblePadding;

    const QFontMetrics headingMetrics(headingFont(option.font));
    const QFontMetrics textMetrics(option.font);

    int y = top + kRowMargin;
    const int headingHeight = heading.isEmpty() ? 0 : headingMetrics.height();
    geometry.heading = QRect(option.rect.left() + kRowMargin, y, usable, headingHeight);
    y += headingHeight + (headingHeight ? kHeadingGap : 0);

    QTextLayout textLayout;
    QTextLayout attachmentLayout;
    const QSize textBox = text.isEmpty() ? QSize(0, 0) : layOut(textLayout, text, option.font, maxText);
    const QSize attachmentBox =
        attachment.isEmpty() ? QSize(0, 0) : layOut(attachmentLayout, attachment, attachmentFont(option.font), maxText);
    const int contentWidth = std::clamp(std::max(textBox.width(), attachmentBox.width()), 1, maxText);
    const int contentHeight = std::max(textBox.height() + attachmentBox.height(), textMetrics.height());
    const int bubbleWidth = contentWidth + 2 * kBubblePadding;
    const int bubbleHeight = contentHeight + 2 * kBubblePadding;
    const int left = fromMe ? option.rect.left() + kRowMargin + usable - bubbleWidth : option.rect.left() + kRowMargin;
    geometry.bubble = QRect(left, y, bubbleWidth, bubbleHeight);
    geometry.text = QRect(left + kBubblePadding, y + kBubblePadding, contentWidth, textBox.height());
    geometry.attachment =
        QRect(left + kBubblePadding, y + kBubblePadding + textBox.height(), contentWidth, attachmentBox.height());
    geometry.maxText = maxText;
    geometry.rowHeight = y + bubbleHeight + kRowMargin - top;
    return geometry;
}

} // namespace

void ChatModel::setBubbles(std::vector<ChatBubble> bubbles) {
    beginResetModel();
    m_bubbles = std::move(bubbles);
    for (ChatBubble& bubble : m_bubbles) {
        if (bubble.text.size() > kMaxBubbleText) {
            bubble.text.truncate(kMaxBubbleText);
            bubble.text += QChar(0x2026);
        }
    }
    endResetModel();
}

int ChatModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_bubbles.size());
}

QVariant ChatModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) return {};
    const ChatBubble& bubble = m_bubbles[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole: return bubble.text;
    case Qt::ForegroundRole:
        if (bubble.header) return kHeaderText;
        return bubble.deleted ? kDeletedColour : kBubbleText;
    case Qt::BackgroundRole:
        if (bubble.header) return {};
        return bubble.fromMe ? kSentBubble : kReceivedBubble;
    case Qt::TextAlignmentRole:
        if (bubble.header) return int(Qt::AlignCenter);
        return int((bubble.fromMe ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    case HeadingRole: return bubble.heading;
    case AttachmentRole: return bubble.attachment;
    case FromMeRole: return bubble.fromMe;
    case DeletedRole: return bubble.deleted;
    case HeaderRole: return bubble.header;
    default: return {};
    }
}

QSize ChatDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const int width = viewWidth(option);
    if (index.data(ChatModel::HeaderRole).toBool()) return {width, kHeaderRowHeight};
    return {width, measure(option, index, width, 0).rowHeight};
}

void ChatDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QColor foreground = index.data(Qt::ForegroundRole).value<QColor>();
    if (index.data(ChatModel::HeaderRole).toBool()) {
        painter->setPen(foreground);
        painter->drawText(option.rect, Qt::AlignCenter | Qt::TextSingleLine, index.data(Qt::DisplayRole).toString());
        painter->restore();
        return;
    }
    const BubbleGeometry geometry = measure(option, index, option.rect.width(), option.rect.top());
    const bool fromMe = index.data(ChatModel::FromMeRole).toBool();

    painter->setFont(headingFont(option.font));
    painter->setPen(kHeadingText);
    const QString heading = QFontMetrics(headingFont(option.font)).elidedText(index.data(ChatModel::HeadingRole).toString(),
                                                          Qt::ElideRight, geometry.heading.width());
    painter->drawText(geometry.heading, (fromMe ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter, heading);

    QPainterPath outline;
    outline.addRoundedRect(QRectF(geometry.bubble).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    painter->fillPath(outline, index.data(Qt::BackgroundRole).value<QColor>());

    painter->setPen(foreground);
    const int maxText = geometry.maxText;
    const QString text = index.data(Qt::DisplayRole).toString();
    if (!text.isEmpty()) {
        QTextLayout layout;
        layOut(layout, text, option.font, maxText);
        layout.draw(painter, geometry.text.topLeft());
    }
    const QString attachment = index.data(ChatModel::AttachmentRole).toString();
    if (!attachment.isEmpty()) {
        QTextLayout layout;
        layOut(layout, attachment, attachmentFont(option.font), maxText);
        layout.draw(painter, geometry.attachment.topLeft());
    }
    painter->restore();
}

ChatView::ChatView(QWidget* parent) : QListView(parent), m_model(new ChatModel(this)) {
    setModel(m_model);
    setItemDelegate(new ChatDelegate(this));
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setResizeMode(QListView::Adjust);
    // Rows differ in height; a long chat is laid out a batch at a time so the
    // window stays responsive.
    setUniformItemSizes(false);
    setLayoutMode(QListView::Batched);
    setBatchSize(200);
    setFrameShape(QFrame::NoFrame);
}

void ChatView::resizeEvent(QResizeEvent* event) {
    QListView::resizeEvent(event);
    scheduleDelayedItemsLayout(); // bubble heights follow the width
}

} // namespace orvelle::gui
