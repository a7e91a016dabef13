#include "export/ContactsDocument.h"

#include "export/HtmlText.h"
#include "export/TableRow.h"

namespace orvelle {

namespace {

std::string phoneCell(std::string_view phones) {
    std::string cell;
    std::size_t start = 0;
    while (true) {
        const std::size_t lf = phones.find('\n', start);
        cell += htmlEscape(
            phones.substr(start, lf == std::string_view::npos ? std::string_view::npos : lf - start));
        if (lf == std::string_view::npos) break;
        cell += "<br />";
        start = lf + 1;
    }
    return cell;
}

} // namespace

std::string contactRow(const ContactRecord& contact) {
    return tableRowOfHtml({htmlEscape(contact.name), phoneCell(contact.phones), htmlEscape(contact.email),
                           htmlEscape(contact.address), htmlEscape(contact.url), htmlEscape(contact.social),
                           htmlEscape(contact.company)},
                          contact.deleted != kLive);
}

} // namespace orvelle
