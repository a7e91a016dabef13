#include "support/InfoPlistWriter.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <plist/plist.h>
#include <stdexcept>

namespace orvelle::test {

namespace {
/// Seconds since 1970-01-01 00:00:00 UTC of the UTC calendar time `tm` (what
/// timegm gives, which not every C runtime has): whole days counted from
/// 0000-03-01 so that the leap day falls at the end of each year.
std::int64_t unixSeconds(const std::tm& tm) {
    const std::int64_t month = tm.tm_mon + 1;
    const std::int64_t year = tm.tm_year + 1900 - (month <= 2 ? 1 : 0);
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + tm.tm_mday - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const std::int64_t days = era * 146097 + dayOfEra - 719468; // 719468: days from 0000-03-01 to 1970-01-01
    return days * 86400 + tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec;
}
} // namespace

InfoPlistWriter::InfoPlistWriter() {
    set("Build Version", "21A351");
    set("Device Name", "Anna's iPhone");
    set("Display Name", "Anna's iPhone");
    set("GUID", "6F1C2D3E4A5B6C7D8E9F0A1B2C3D4E5F");
    set("ICCID", "89014103211118510720");
    set("IMEI", "356938035643809");
    setDate("Last Backup Date", "2024-05-17T09:41:00Z");
    set("Phone Number", "+1 (555) 010-0199");
    set("Product Name", "iPhone 14");
    set("Product Type", "iPhone14,7");
    set("Product Version", "17.0");
    set("Serial Number", "F2LXK0QJN72J");
    set("Target Identifier", "00008110-001A2B3C4D5E801E");
    set("Target Type", "Device");
    set("Unique Identifier", "00008110-001A2B3C4D5E801E");
    set("iTunes Version", "12.12.10.1");
}

InfoPlistWriter& InfoPlistWriter::set(const std::string& key, const std::string& value) {
    for (auto& e : m_entries)
        if (e.key == key) {
            e.value = value;
            e.isDate = false;
            return *this;
        }
    m_entries.push_back({key, value, false});
    return *this;
}

InfoPlistWriter& InfoPlistWriter::setDate(const std::string& key, const std::string& utcText) {
    set(key, utcText);
    for (auto& e : m_entries)
        if (e.key == key) e.isDate = true;
    return *this;
}

InfoPlistWriter& InfoPlistWriter::remove(const std::string& key) {
    std::erase_if(m_entries, [&](const Entry& e) { return e.key == key; });
    return *this;
}

InfoPlistWriter& InfoPlistWriter::moveBefore(const std::string& key, const std::string& before) {
    auto it = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& e) { return e.key == key; });
    if (it == m_entries.end()) return *this;
    Entry moved = *it;
    m_entries.erase(it);
    auto at =
        std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& e) { return e.key == before; });
    m_entries.insert(at, moved);
    return *this;
}

std::string xmlEscape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out.push_back(c);
        }
    }
    return out;
}

std::string InfoPlistWriter::toXml() const {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                      "<plist version=\"1.0\">\n<dict>\n";
    for (const auto& e : m_entries) {
        out += "\t<key>" + xmlEscape(e.key) + "</key>\n";
        if (e.isDate)
            out += "\t<date>" + e.value + "</date>\n";
        else
            out += "\t<string>" + xmlEscape(e.value) + "</string>\n";
    }
    out += "</dict>\n</plist>\n";
    return out;
}

std::string InfoPlistWriter::toBinary() const {
    plist_t dict = plist_new_dict();
    for (const auto& e : m_entries) {
        if (e.isDate) {
            std::tm tm{};
            if (std::sscanf(e.value.c_str(), "%d-%d-%dT%d:%d:%d", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
                            &tm.tm_hour, &tm.tm_min, &tm.tm_sec) != 6)
                throw std::invalid_argument("bad date " + e.value);
            tm.tm_year -= 1900;
            tm.tm_mon -= 1;
            const std::int64_t unix = unixSeconds(tm);
            plist_dict_set_item(dict, e.key.c_str(),
                                plist_new_date(static_cast<int32_t>(unix - 978307200), 0));
        } else {
            plist_dict_set_item(dict, e.key.c_str(), plist_new_string(e.value.c_str()));
        }
    }
    char* data = nullptr;
    uint32_t length = 0;
    plist_to_bin(dict, &data, &length);
    std::string out(data, length);
    plist_to_bin_free(data);
    plist_free(dict);
    return out;
}

} // namespace orvelle::test
