#include "gui/preview/ContactCard.h"

#include "gui/app/LanguageTexts.h"
#include "gui/preview/ChatView.h"

#include <QGridLayout>
#include <QLabel>

namespace orvelle::gui {

namespace {

const QString kSection = QStringLiteral("PageScan");
const QColor kCaptionColour(0x70, 0x70, 0x70);
const QColor kValueColour(0x20, 0x20, 0x20);
/// Longest field text shown (address-book fields are short; a carved row may not be).
constexpr int kMaxFieldText = 20000;

struct FieldNames {
    const char* captionKey;
    const char* captionName;
    const char* valueName;
    const char* english;
};

constexpr std::array<FieldNames, 6> kFields{{
    {"PreviewPhone", "LblPhone", "TxtPhone", "Phone"},
    {"PreviewEmail", "LblEmail", "TxtEmail", "Email"},
    {"PreviewAddress", "LblAddress", "TxtAddress", "Address"},
    {"PreviewHomePage", "LblUrl", "TxtUrl", "Home Page"},
    {"PreviewSocial", "LblSocial", "TxtSocial", "Social"},
    {"PreviewCompany", "LblCompany", "TxtCompany", "Company"},
}};

QLabel* plainLabel(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

void setColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    // On the card's white background labels draw with the Text role.
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    label->setPalette(palette);
}

QString bounded(const std::string& text) {
    QString value = QString::fromStdString(text);
    if (value.size() > kMaxFieldText) value = value.left(kMaxFieldText) + QChar(0x2026);
    return value;
}

} // namespace

ContactCard::ContactCard(QWidget* parent) : QWidget(parent) {
    // White like the chat and the note.
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setHorizontalSpacing(10);
    layout->setVerticalSpacing(8);
    m_name = plainLabel("TxtUserName", this);
    QFont nameFont = m_name->font();
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.4);
    nameFont.setBold(true);
    m_name->setFont(nameFont);
    layout->addWidget(m_name, 0, 0, 1, 2);
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        Row& row = m_rows[i];
        row.captionKey = kFields[i].captionKey;
        row.caption = plainLabel(kFields[i].captionName, this);
        row.caption->setWordWrap(false);
        row.caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        row.caption->setText(QString::fromLatin1(kFields[i].english));
        row.value = plainLabel(kFields[i].valueName, this);
        row.value->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        layout->addWidget(row.caption, int(i) + 1, 0);
        layout->addWidget(row.value, int(i) + 1, 1);
    }
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(int(kFields.size()) + 1, 1);
    applyTexts();
    clear();
}

void ContactCard::applyTexts() {
    for (Row& row : m_rows) {
        const QString text = languageText(kSection, QString::fromLatin1(row.captionKey));
        if (!text.isEmpty()) row.caption->setText(text);
    }
}

void ContactCard::clear() {
    m_name->clear();
    for (Row& row : m_rows) {
        row.value->clear();
        row.caption->hide();
        row.value->hide();
    }
    setDeleted(false);
}

void ContactCard::showContact(const ContactRecord& contact) {
    m_name->setText(bounded(contact.name));
    const std::array<const std::string*, 6> values{&contact.phones, &contact.email, &contact.address,
                                                   &contact.url,    &contact.social, &contact.company};
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const QString value = bounded(*values[i]).trimmed();
        m_rows[i].value->setText(value);
        m_rows[i].caption->setVisible(!value.isEmpty());
        m_rows[i].value->setVisible(!value.isEmpty());
    }
    setDeleted(contact.deleted != kLive);
}

void ContactCard::setDeleted(bool deleted) {
    setColour(m_name, deleted ? kDeletedColour : kValueColour);
    for (Row& row : m_rows) {
        setColour(row.caption, deleted ? kDeletedColour : kCaptionColour);
        setColour(row.value, deleted ? kDeletedColour : kValueColour);
    }
}

} // namespace orvelle::gui
