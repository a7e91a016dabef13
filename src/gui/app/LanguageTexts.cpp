#include "gui/app/LanguageTexts.h"

#include "platform/IniFile.h"
#include "platform/ProgramFolder.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStringList>
#include <QWidget>

namespace orvelle::gui {

namespace {

constexpr const char* kSettingsFile = "config.ini";
constexpr const char* kLanguageFolder = "Languages";

QString fromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

} // namespace

LanguageTexts& LanguageTexts::instance() {
    static LanguageTexts* texts = new LanguageTexts; // lives until the process ends
    if (!texts->m_loaded) texts->load(platform::executableFolder());
    return *texts;
}

void LanguageTexts::load(const std::filesystem::path& programFolder) {
    m_loaded = true;
    m_programFolder = programFolder;
    const platform::IniFile settings = platform::IniFile::read(programFolder / kSettingsFile);
    m_current = fromUtf8(settings.value("DefaultLanguage", "Default", "English"));
    m_languages.clear();
    if (const platform::IniSection* offered = settings.section("Languages"))
        for (const auto& [key, shown] : offered->entries) m_languages.emplace_back(fromUtf8(key), fromUtf8(shown));
    loadLanguageFile();
}

void LanguageTexts::loadLanguageFile() {
    m_sections.clear();
    // A language name is a file base name; anything that could leave the folder is refused.
    if (m_current.isEmpty() || m_current.contains(u'/') || m_current.contains(u'\\') || m_current.contains(u".."))
        return;
    const std::filesystem::path file =
        m_programFolder / kLanguageFolder / (m_current.toStdString() + ".ini");
    const platform::IniFile language = platform::IniFile::read(file);
    for (const platform::IniSection& section : language.sections()) {
        auto& texts = m_sections[fromUtf8(section.name)];
        for (const auto& [key, value] : section.entries) texts.emplace(fromUtf8(key), fromUtf8(value));
    }
}

QString LanguageTexts::text(const QString& section, const QString& key) const {
    const auto found = m_sections.find(section);
    if (found == m_sections.end()) return {};
    const auto entry = found->second.find(key);
    return entry == found->second.end() ? QString() : entry->second;
}

void LanguageTexts::applySection(const QString& section, QWidget* root) const {
    if (!root) return;
    const auto found = m_sections.find(section);
    if (found == m_sections.end()) return;
    for (const auto& [name, value] : found->second) {
        if (value.isEmpty()) continue;
        if (name == root->objectName()) {
            root->setWindowTitle(value);
            continue;
        }
        if (QWidget* widget = root->findChild<QWidget*>(name)) {
            if (auto* button = qobject_cast<QAbstractButton*>(widget)) button->setText(value);
            else if (auto* label = qobject_cast<QLabel*>(widget)) label->setText(value);
            else if (auto* group = qobject_cast<QGroupBox*>(widget)) group->setTitle(value);
            else if (auto* edit = qobject_cast<QLineEdit*>(widget)) edit->setPlaceholderText(value);
            else if (auto* menu = qobject_cast<QMenu*>(widget)) menu->setTitle(value);
            else widget->setToolTip(value);
            continue;
        }
        if (QAction* action = root->findChild<QAction*>(name)) action->setText(value);
    }
}

QString formatMessage(const QString& format, const QStringList& arguments) {
    QString out;
    out.reserve(format.size() + 32);
    int next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] != u'%' || i + 1 >= format.size()) {
            out += format[i];
            continue;
        }
        if (format[i + 1] == u'%') {
            out += u'%';
            ++i;
            continue;
        }
        // A place: flags, width and precision, then the conversion letter.
        qsizetype end = i + 1;
        while (end < format.size() && QStringLiteral("-+ #0123456789.l").contains(format[end])) ++end;
        if (end < format.size() && QStringLiteral("sdiuf").contains(format[end])) {
            if (next < arguments.size()) out += arguments[next];
            ++next;
            i = end;
        } else {
            out += format[i];
        }
    }
    return out;
}

bool LanguageTexts::setLanguage(const QString& name) {
    platform::IniFile settings = platform::IniFile::read(m_programFolder / kSettingsFile);
    settings.set("DefaultLanguage", "Default", name.toStdString());
    const bool stored = settings.write(m_programFolder / kSettingsFile);
    m_current = name;
    loadLanguageFile();
    emit languageChanged();
    return stored;
}

} // namespace orvelle::gui
