#pragma once
/// One CSV field as every CSV file of the program writes it. Two rules, in
/// this order:
///
///   formula guard  a field a spreadsheet would run as a formula gets a
///                  leading "'", so that it is shown as the text it is;
///   RFC 4180       a field holding a comma, a double quote, a CR or a LF is
///                  enclosed in double quotes with its quotes doubled.
///
/// A field starts a formula when it begins with "=", "@", a tab or a CR, or
/// with "+" or "-" followed by more than a plain number. Plain numbers (12,
/// -0.25, 1e5) and phone numbers ("+" then digits, blanks, dashes, dots and
/// parentheses: +1 (202) 555-0199; a contact's numbers one a line) stay as
/// they are: with no letter in them a spreadsheet can at most do sums of
/// constants, never call a function, read a cell or follow a link.

#include <string>
#include <string_view>

namespace orvelle {

/// True when a spreadsheet opening a CSV holding `text` as a field would read it as a formula.
bool startsFormula(std::string_view text);

/// `text` with a leading "'" when it starts a formula, else unchanged.
std::string formulaGuarded(std::string_view text);

/// One field: guarded against formulas, then quoted when it needs to be.
std::string csvField(std::string_view value);

} // namespace orvelle
