#pragma once
/// The search rule of the item list: a row matches when any of its column
/// texts contains the query, ignoring case. Texts are the records' own UTF-8
/// strings, so a query of plain ASCII is matched byte-wise with ASCII case
/// folding (fast enough for hundreds of thousands of rows per keystroke);
/// a query with other characters is compared through Qt's case folding.

#include <QString>

#include <string>
#include <string_view>

namespace orvelle::gui {

class ItemSearchFilter {
public:
    /// Sets the query; surrounding white space is ignored.
    void setQuery(const QString& query);
    const QString& query() const { return m_query; }
    /// True when there is nothing to search for (every row matches).
    bool isEmpty() const { return m_query.isEmpty(); }
    /// True when every row matching `query` also matches `earlier` (a longer
    /// query that contains the earlier one), so only the rows left by the
    /// earlier query need looking at.
    bool narrows(const QString& earlier) const;

    /// True when `text` (UTF-8) contains the query, ignoring case.
    bool matches(std::string_view text) const;

private:
    QString m_query;
    std::string m_asciiLower; ///< the query lower-cased, when it is plain ASCII
    bool m_ascii = true;
};

} // namespace orvelle::gui
