#include "gui/app/InterfaceFont.h"

#include <QFont>
#include <QString>
#include <QStringList>

namespace orvelle::gui {

void useInterfaceFontStandIns() {
    // Only used where the font itself is missing: Windows keeps its own.
    const QStringList standIns{QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")};
    for (const QString family : {QStringLiteral("Segoe UI"), QStringLiteral("MS Shell Dlg"), QStringLiteral("MS Shell Dlg 2")})
        QFont::insertSubstitutions(family, standIns);
}

} // namespace orvelle::gui
