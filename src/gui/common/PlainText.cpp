#include "gui/common/PlainText.h"

#include <QTextDocument>

namespace orvelle::gui {

QString plainToolTip(const QString& text) {
    if (text.isEmpty()) return {};
    // "<p>" plus the escaped text: always rich text, never markup of the text's own.
    return Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal);
}

} // namespace orvelle::gui
