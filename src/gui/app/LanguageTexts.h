#pragma once
/// The texts of the current language. The settings file "config.ini" beside
/// the program names the language ([DefaultLanguage] Default=, "English" when
/// unset) and lists the languages offered ([Languages] key=shown name); the
/// language file "Languages/<name>.ini" holds one section per window, mapping
/// control object names to texts, and the section "Messages", mapping message
/// keys ("MSG0301" ...) to texts. Values are used verbatim.
///
/// A missing file, section or key never fails: it yields empty text, and
/// applySection() then leaves the form's own text in place.
///
/// One object for the process, used on the user-interface thread only.

#include <QObject>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <map>
#include <utility>
#include <vector>

class QWidget;

namespace orvelle::gui {

class LanguageTexts : public QObject {
    Q_OBJECT
public:
    /// The process-wide texts, loaded from the program folder on first use.
    static LanguageTexts& instance();

    /// Reads "config.ini" and the current language file of `programFolder`
    /// (tests and the screenshot tool point it elsewhere).
    void load(const std::filesystem::path& programFolder);

    /// The text of `key` in `section`; empty when either is missing.
    QString text(const QString& section, const QString& key) const;
    /// The text of a message key of the "Messages" section.
    QString message(const QString& key) const { return text(QStringLiteral("Messages"), key); }

    /// Sets the texts of `section` on the widgets of `root` by object name:
    /// buttons and labels get their text, group boxes their title, line edits
    /// their placeholder, actions (menu items) their text; a key naming `root`
    /// itself sets its window title. Keys without a widget and empty texts are
    /// skipped, so the form's own text stays.
    void applySection(const QString& section, QWidget* root) const;

    /// The current language's name (the file's base name).
    QString currentLanguage() const { return m_current; }
    /// The languages offered: (file base name, name shown), in file order.
    const std::vector<std::pair<QString, QString>>& languages() const { return m_languages; }

    /// Makes `name` the current language: stores it in the settings file,
    /// reloads the texts and emits languageChanged(). False when the settings
    /// file cannot be written (the language is switched for this run anyway).
    bool setLanguage(const QString& name);

signals:
    /// The texts were reloaded: every window applies its sections again.
    void languageChanged();

private:
    LanguageTexts() = default;
    void loadLanguageFile();

    std::filesystem::path m_programFolder;
    QString m_current = QStringLiteral("English");
    std::vector<std::pair<QString, QString>> m_languages;
    std::map<QString, std::map<QString, QString>> m_sections;
    bool m_loaded = false;
};

/// Fills a message format of the language file: each "%s" or "%d" (also
/// with flags or a width, as "%3d") takes the next of `arguments`, "%%" is a
/// percent sign; a format with more places than arguments leaves the rest
/// empty, extra arguments are dropped. Never reads past what it was given.
QString formatMessage(const QString& format, const QStringList& arguments);

/// Shorthand for LanguageTexts::instance().message(key).
inline QString messageText(const QString& key) { return LanguageTexts::instance().message(key); }
/// Shorthand for LanguageTexts::instance().text(section, key).
inline QString languageText(const QString& section, const QString& key) {
    return LanguageTexts::instance().text(section, key);
}

} // namespace orvelle::gui
