#pragma once
/// AddressBook.sqlitedb as devices write it: a person row in ABPerson and its
/// searchable texts in ABPersonFullTextSearch_content (docid = the person's ROWID).

#include "support/DeviceDb.h"

#include <optional>

namespace orvelle::test {

/// One person; a blank one has no field set.
struct Person {
    std::string first, last, organization;
    /// Numbers as the user typed them ("(919) 888-7386"); the full-text row
    /// holds every written form of each (phoneSearchText).
    std::vector<std::string> phones;
    /// The phone text to store as is, instead of the forms of `phones`.
    std::optional<std::string> phoneText;
    std::string email, address, url, social;
};

class AddressBookDb : public DeviceDb {
public:
    AddressBookDb(std::filesystem::path path, AddressBookLayout layout, int pageSize = 4096);
    /// Returns the person's ROWID (the docid of its full-text row).
    std::int64_t addPerson(const Person& person);

private:
    AddressBookLayout m_layout;
    std::int64_t m_people = 0;
};

} // namespace orvelle::test
