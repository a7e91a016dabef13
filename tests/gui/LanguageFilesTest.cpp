// The shipped language files: every message key the program uses has a
// text in each language, and every language holds every text English has.

#include "platform/IniFile.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {

const QString kSource = QStringLiteral(ORVELLE_SOURCE_DIR);

orvelle::platform::IniFile language(const char* name) {
    return orvelle::platform::IniFile::read(std::string(ORVELLE_SOURCE_DIR "/Languages/") + name + ".ini");
}

/// Every "MSGnnnn" the desktop program's sources name.
QSet<QString> messageKeysUsed() {
    static const QRegularExpression key(QStringLiteral("\"(MSG\\d{4})\""));
    QSet<QString> keys;
    QDirIterator files(kSource + QStringLiteral("/src/gui"), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                       QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (!file.open(QIODevice::ReadOnly)) continue;
        const QString text = QString::fromUtf8(file.readAll());
        for (auto match = key.globalMatch(text); match.hasNext();) keys.insert(match.next().captured(1));
    }
    return keys;
}

} // namespace

class LanguageFilesTest : public QObject {
    Q_OBJECT
private slots:
    void everyMessageKeyInUseHasATextInEachLanguage() {
        const QSet<QString> used = messageKeysUsed();
        QVERIFY(used.size() > 30);
        for (const char* name : {"English", "Chinese"}) {
            const auto file = language(name);
            for (const QString& key : used)
                QVERIFY2(!file.value("Messages", key.toStdString()).empty(),
                         qPrintable(QStringLiteral("%1 lacks %2").arg(QString::fromLatin1(name), key)));
        }
    }

    void everyLanguageHoldsEveryEnglishText() {
        const auto english = language("English");
        const auto chinese = language("Chinese");
        QVERIFY(english.sections().size() >= 10);
        for (const auto& section : english.sections())
            for (const auto& [key, text] : section.entries)
                QVERIFY2(!chinese.value(section.name, key).empty() || text.empty(),
                         qPrintable(QStringLiteral("Chinese lacks [%1] %2")
                                        .arg(QString::fromStdString(section.name), QString::fromStdString(key))));
    }

    void messageFormatsKeepTheirPlacesInEachLanguage() {
        // A translation must take the same arguments in the same order.
        static const QRegularExpression place(QStringLiteral("%[-+ #0-9.]*l?[sdiuf]"));
        const auto places = [](const std::string& text) {
            QStringList found;
            for (auto match = place.globalMatch(QString::fromStdString(text)); match.hasNext();)
                found << match.next().captured().right(1);
            return found;
        };
        const auto english = language("English");
        const auto chinese = language("Chinese");
        const auto* messages = english.section("Messages");
        QVERIFY(messages);
        for (const auto& [key, text] : messages->entries)
            QVERIFY2(places(text) == places(chinese.value("Messages", key)), key.c_str());
    }
};

QTEST_MAIN(LanguageFilesTest)
#include "LanguageFilesTest.moc"
