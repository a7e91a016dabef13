#include "support/DeviceDbAddressBook.h"

namespace orvelle::test {

namespace {
SqlValue textOrNull(const std::string& text) {
    return text.empty() ? SqlValue::null() : SqlValue::text(text);
}
} // namespace

AddressBookDb::AddressBookDb(std::filesystem::path path, AddressBookLayout layout, int pageSize)
    : DeviceDb(std::move(path), addressBookSchema(layout), pageSize), m_layout(layout) {}

std::int64_t AddressBookDb::addPerson(const Person& p) {
    const std::int64_t rowId = ++m_people;
    insert("ABPerson", {{"ROWID", SqlValue::of(rowId)},
                        {"First", textOrNull(p.first)},
                        {"Last", textOrNull(p.last)},
                        {"Organization", textOrNull(p.organization)},
                        {"Kind", SqlValue::of(0)},
                        {"CreationDate", SqlValue::of(600000000 + rowId)},
                        {"ModificationDate", SqlValue::of(600000000 + rowId)},
                        {"guid", SqlValue::text(deviceGuid(static_cast<std::uint64_t>(rowId) + 500))}});
    std::string phoneText;
    if (p.phoneText)
        phoneText = *p.phoneText;
    else
        for (const auto& number : p.phones)
            phoneText += phoneSearchText(number);
    // The content columns are numbered from c0; iOS 11 inserted
    // c7OrganizationPhonetic, which moves every later column by one.
    const int shift = m_layout == AddressBookLayout::ios7 ? 0 : 1;
    const auto column = [shift](int oldNumber, const char* name) {
        return "c" + std::to_string(oldNumber + shift) + name;
    };
    insert("ABPersonFullTextSearch_content", {{"docid", SqlValue::of(rowId)},
                                              {"c0First", textOrNull(p.first)},
                                              {"c1Last", textOrNull(p.last)},
                                              {"c6Organization", textOrNull(p.organization)},
                                              {column(15, "Phone"), textOrNull(phoneText)},
                                              {column(16, "Email"), textOrNull(p.email)},
                                              {column(17, "Address"), textOrNull(p.address)},
                                              {column(18, "SocialProfile"), textOrNull(p.social)},
                                              {column(19, "URL"), textOrNull(p.url)}});
    return rowId;
}

} // namespace orvelle::test
