#include "core/CsvField.h"

namespace orvelle {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

/// Digits, an optional fraction and an optional exponent, after the sign:
/// 12, 3.5, .25, 1e5, 2.5E-3.
bool isPlainNumber(std::string_view text) {
    std::size_t i = 0;
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        const std::size_t start = i;
        while (i < text.size() && isDigit(text[i])) ++i;
        if (i == start) return false;
    }
    return i == text.size();
}

/// One phone number: an optional "+", then digits with blanks, dashes, dots
/// and parentheses between them, at least one digit.
bool isPhoneNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    bool digit = false;
    for (const char c : text) {
        if (isDigit(c))
            digit = true;
        else if (c != ' ' && c != '-' && c != '.' && c != '(' && c != ')')
            return false;
    }
    return digit;
}

/// Phone numbers one a line (a contact's numbers), lines ended by LF or CR LF.
bool isPhoneNumberList(std::string_view text) {
    while (true) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (end != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!isPhoneNumber(line)) return false;
        if (end == std::string_view::npos) return true;
        text.remove_prefix(end + 1);
    }
}

} // namespace

bool startsFormula(std::string_view text) {
    if (text.empty()) return false;
    const std::string_view rest = text.substr(1);
    switch (text.front()) {
    case '=':
    case '@':
    case '\t':
    case '\r':
        return true;
    case '+':
        return !rest.empty() && !isPlainNumber(rest) && !isPhoneNumberList(text);
    case '-':
        return !rest.empty() && !isPlainNumber(rest);
    default:
        return false;
    }
}

std::string formulaGuarded(std::string_view text) {
    if (!startsFormula(text)) return std::string(text);
    std::string out;
    out.reserve(text.size() + 1);
    out += '\'';
    out += text;
    return out;
}

std::string csvField(std::string_view value) {
    const std::string guarded = formulaGuarded(value);
    if (guarded.find_first_of(",\"\r\n") == std::string::npos) return guarded;
    std::string out;
    out.reserve(guarded.size() + 2);
    out += '"';
    for (const char c : guarded) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

} // namespace orvelle
