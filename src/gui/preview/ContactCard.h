#pragma once
/// A contact as a card: the name in large type, then one row per field that
/// has a value (Phone, Email, Address, Home Page, Social, Company); rows of
/// empty fields are hidden. A deleted contact is drawn all in orange. Values
/// are plain text.
///
/// Object names: TxtUserName; per field a caption Lbl<Field> and a value
/// Txt<Field> (TxtPhone, TxtEmail, TxtAddress, TxtUrl, TxtSocial, TxtCompany).

#include "core/ItemRecords.h"

#include <QWidget>

#include <array>

class QLabel;

namespace orvelle::gui {

class ContactCard : public QWidget {
    Q_OBJECT
public:
    explicit ContactCard(QWidget* parent = nullptr);

    void showContact(const ContactRecord& contact);
    void clear();
    /// Sets the captions of the current language again.
    void applyTexts();

private:
    struct Row {
        const char* captionKey; ///< key in the "PageScan" section
        QLabel* caption = nullptr;
        QLabel* value = nullptr;
    };
    void setDeleted(bool deleted);

    QLabel* m_name = nullptr;
    std::array<Row, 6> m_rows;
};

} // namespace orvelle::gui
