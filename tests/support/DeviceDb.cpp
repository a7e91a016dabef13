#include "support/DeviceDb.h"

#include <cstdio>
#include <stdexcept>

namespace orvelle::test {

std::string layoutName(SmsLayout layout) {
    switch (layout) {
    case SmsLayout::ios7:
        return "Message38";
    case SmsLayout::columns51:
        return "Message51";
    case SmsLayout::ios13:
        return "Message68";
    case SmsLayout::ios14:
        return "Message74";
    }
    return "?";
}
std::string layoutName(AddressBookLayout layout) {
    switch (layout) {
    case AddressBookLayout::ios7:
        return "Content24";
    case AddressBookLayout::columns25:
        return "Content25";
    case AddressBookLayout::ios15:
        return "Content26";
    }
    return "?";
}
std::string layoutName(CallHistoryLayout layout) {
    switch (layout) {
    case CallHistoryLayout::callIos5:
        return "Call8";
    case CallHistoryLayout::callIos7:
        return "Call14";
    case CallHistoryLayout::callRecordClassic:
        return "CallRecord21";
    case CallHistoryLayout::callRecordIos17:
        return "CallRecord30";
    }
    return "?";
}
std::string layoutName(WhatsAppLayout layout) {
    return layout == WhatsAppLayout::columns28 ? "Message28" : "Message34";
}

DeviceDb::DeviceDb(std::filesystem::path path, const std::vector<std::string_view>& schema, int pageSize)
    : m_fixture(std::move(path), SqliteFixture::Options{pageSize, 0, false}) {
    for (const auto statement : schema)
        m_fixture.exec(statement);
}

SqliteFixture& DeviceDb::fixture() {
    commit();
    return m_fixture;
}

void DeviceDb::commit() {
    if (!m_inTransaction) return;
    m_fixture.exec("COMMIT");
    m_inTransaction = false;
}

void DeviceDb::insert(std::string_view table, const NamedValues& values) {
    if (!m_inTransaction) {
        m_fixture.exec("BEGIN");
        m_inTransaction = true;
    }
    std::string names, literals;
    for (const auto& [name, value] : values) {
        if (!names.empty()) {
            names += ',';
            literals += ',';
        }
        names += '"' + name + '"';
        literals += sqlLiteral(value);
    }
    m_fixture.exec("INSERT INTO \"" + std::string(table) + "\"(" + names + ") VALUES(" + literals + ")");
}

std::vector<StoredRow> DeviceDb::deleteWhere(std::string_view table, std::string_view whereClause) {
    commit();
    return m_fixture.deleteWhere(table, whereClause);
}

void DeviceDb::exec(std::string_view sql) {
    commit();
    m_fixture.exec(sql);
}

void DeviceDb::close() {
    commit();
    m_fixture.close();
}

std::string sqlLiteral(const SqlValue& value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    switch (value.kind) {
    case SqlValue::Kind::null:
        return "NULL";
    case SqlValue::Kind::integer:
        return std::to_string(value.integer);
    case SqlValue::Kind::real: {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.17g", value.real);
        std::string text = buffer;
        // Keep it a float literal (SQLite stores an integral REAL in a
        // TIMESTAMP/FLOAT column as written).
        if (text.find_first_of(".eE") == std::string::npos) text += ".0";
        return text;
    }
    case SqlValue::Kind::text:
    case SqlValue::Kind::blob: {
        std::string hex = "X'";
        for (const char c : value.bytes) {
            hex += kHex[static_cast<unsigned char>(c) >> 4];
            hex += kHex[static_cast<unsigned char>(c) & 0xf];
        }
        hex += '\'';
        return value.kind == SqlValue::Kind::text ? "CAST(" + hex + " AS TEXT)" : hex;
    }
    }
    return "NULL";
}

std::string attributedBodyArchive(std::string_view text) {
    using namespace std::string_literals;
    // streamtyped header, "@" NSMutableAttributedString < NSAttributedString <
    // NSObject, "@" NSMutableString < NSString < (NSObject), "+" and the text.
    std::string out = "\x04\x0bstreamtyped\x81\xe8\x03"s;
    out += "\x84\x01@\x84\x84\x84\x19NSMutableAttributedString\x00\x84\x84\x12NSAttributedString\x00"s;
    out += "\x84\x84\x08NSObject\x00\x85\x92\x84\x84\x84\x0fNSMutableString\x01\x84\x84\x08NSString\x01\x95"s;
    out += "\x84\x01+"s;
    const auto length = text.size();
    if (length < 0x80) {
        out += static_cast<char>(length);
    } else if (length < 0x8000) {
        out += '\x81';
        out += static_cast<char>(length & 0xff);
        out += static_cast<char>(length >> 8);
    } else {
        out += '\x82';
        for (int i = 0; i < 4; ++i)
            out += static_cast<char>((length >> (8 * i)) & 0xff);
    }
    out += text;
    // End of the string; the attribute run (range 1..length) and its
    // dictionary follow as devices write them.
    out += "\x86\x84\x02iI\x01"s;
    out += static_cast<char>(length < 0x80 ? length : 0x7f);
    out +=
        "\x92\x84\x84\x84\x0cNSDictionary\x00\x95\x84\x01i\x01\x92\x84\x98\x98\x1d__kIMMessagePartAttributeName"s;
    out +=
        "\x86\x92\x84\x84\x84\x08NSNumber\x00\x84\x84\x07NSValue\x00\x95\x84\x01*\x84\x9b\x9b\x00\x86\x86\x86"s;
    return out;
}

std::string phoneSearchText(std::string_view displayNumber) {
    std::string digits;
    for (const char c : displayNumber)
        if (c >= '0' && c <= '9') digits += c;
    std::string text = std::string(displayNumber) + ' ';
    std::string national;
    if (digits.size() == 10) national = digits;
    if (digits.size() == 11 && digits[0] == '1') national = digits.substr(1);
    if (national.empty()) return text + digits + ' ';
    const std::string full = "1" + national;
    for (const std::string& form :
         {"+" + full, "011" + full, "00" + full, full, national, national.substr(3)})
        text += form + ' ';
    return text;
}

std::string deviceGuid(std::uint64_t seed) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%08X-%04X-%04X-%04X-%012llX",
                  static_cast<unsigned>(seed * 2654435761u), static_cast<unsigned>((seed >> 3) & 0xffff),
                  static_cast<unsigned>(0x4000 | (seed & 0x0fff)),
                  static_cast<unsigned>(0x8000 | (seed & 0x3fff)),
                  static_cast<unsigned long long>(seed * 0x9E3779B97F4A7C15ull & 0xffffffffffffull));
    return buffer;
}

} // namespace orvelle::test
