#include "gui/results/ItemSearchFilter.h"

#include <algorithm>

namespace orvelle::gui {

namespace {

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

} // namespace

void ItemSearchFilter::setQuery(const QString& query) {
    m_query = query.trimmed();
    m_ascii = true;
    for (const QChar c : m_query)
        if (c.unicode() >= 0x80) m_ascii = false;
    m_asciiLower.clear();
    if (m_ascii) {
        m_asciiLower = m_query.toStdString();
        std::transform(m_asciiLower.begin(), m_asciiLower.end(), m_asciiLower.begin(), lowerAscii);
    }
}

bool ItemSearchFilter::narrows(const QString& earlier) const {
    const QString previous = earlier.trimmed();
    return !previous.isEmpty() && m_query.contains(previous, Qt::CaseInsensitive);
}

bool ItemSearchFilter::matches(std::string_view text) const {
    if (m_query.isEmpty()) return true;
    if (!m_ascii)
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))
            .contains(m_query, Qt::CaseInsensitive);
    const std::string_view needle = m_asciiLower;
    if (needle.size() > text.size()) return false;
    const auto found = std::search(text.begin(), text.end(), needle.begin(), needle.end(),
                                   [](char a, char b) { return lowerAscii(a) == b; });
    return found != text.end();
}

} // namespace orvelle::gui
