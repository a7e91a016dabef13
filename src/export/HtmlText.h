#pragma once
/// Values placed into exported HTML pages are escaped, so that a message or a
/// name holding markup is shown as text and never runs as part of the page.

#include <string>
#include <string_view>

namespace orvelle {

/// `text` with &, <, >, " and ' written as entities and every line break
/// (CR LF, LF or CR) written as "<br>".
std::string htmlEscape(std::string_view text);

/// Replaces every occurrence of `placeholder` in `text` by `value`, searching
/// on after each inserted value (so a value holding the placeholder is left as is).
void replacePlaceholder(std::string& text, std::string_view placeholder, std::string_view value);

} // namespace orvelle
