#include "gui/results/ResultsShared.h"

#include "gui/app/LanguageTexts.h"
#include "scan/ScanRun.h"

namespace orvelle::gui {

QString categoryNodeKey(const CategoryInfo& category) {
    QString key = QStringLiteral("Node");
    for (const char c : category.treeLabel)
        if (c != ' ') key += QLatin1Char(c);
    return key;
}

QString pageText(const char* key, const char* fallback) {
    const QString text = languageText(QStringLiteral("PageScan"), QLatin1String(key));
    return text.isEmpty() ? QString::fromUtf8(fallback) : text;
}

QString pageText(const QString& key, const QString& fallback) {
    const QString text = languageText(QStringLiteral("PageScan"), key);
    return text.isEmpty() ? fallback : text;
}

QString messageOr(const char* key, const char* fallback) {
    const QString text = messageText(QLatin1String(key));
    return text.isEmpty() ? QString::fromUtf8(fallback) : text;
}

bool tallyReadable(const ScanRun* run) {
    return run && (run->scanFinished() || run->paused());
}

bool hasDeletedFlag(ItemKind kind) {
    return holdsRecords(kind);
}

QColor deletedRowColour() {
    return QColor(0xF3, 0x73, 0x02);
}

} // namespace orvelle::gui
