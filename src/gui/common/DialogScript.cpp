#include "gui/common/DialogScript.h"

#include <deque>

namespace orvelle::gui {

namespace {

struct Script {
    bool active = false;
    std::deque<int> answers;
    std::deque<QString> folders;
    std::deque<std::optional<QString>> passwords;
    QStringList boxes;
    QStringList unscripted;
};

Script& script() {
    static Script s;
    return s;
}

} // namespace

void DialogScript::start() {
    script() = Script{};
    script().active = true;
}

void DialogScript::stop() { script().active = false; }
bool DialogScript::active() { return script().active; }

void DialogScript::answerMessageBox(int result) { script().answers.push_back(result); }
void DialogScript::chooseFolder(const QString& folder) { script().folders.push_back(folder); }
void DialogScript::enterPassword(std::optional<QString> password) { script().passwords.push_back(std::move(password)); }

QStringList DialogScript::messageBoxes() { return script().boxes; }
QStringList DialogScript::unscripted() { return script().unscripted; }
int DialogScript::pendingAnswers() {
    return static_cast<int>(script().answers.size() + script().folders.size() + script().passwords.size());
}

int DialogScript::takeMessageBoxAnswer(const QString& kind, const QString& text) {
    Script& s = script();
    s.boxes << kind + QStringLiteral(": ") + text;
    if (s.answers.empty()) {
        s.unscripted << QStringLiteral("message box ") + kind + QStringLiteral(": ") + text;
        return 2;
    }
    const int answer = s.answers.front();
    s.answers.pop_front();
    return answer;
}

QString DialogScript::takeFolder(const QString& title) {
    Script& s = script();
    if (s.folders.empty()) {
        s.unscripted << QStringLiteral("folder chooser: ") + title;
        return {};
    }
    QString folder = s.folders.front();
    s.folders.pop_front();
    return folder;
}

std::optional<QString> DialogScript::takePassword() {
    Script& s = script();
    if (s.passwords.empty()) {
        s.unscripted << QStringLiteral("password dialog");
        return std::nullopt;
    }
    auto password = s.passwords.front();
    s.passwords.pop_front();
    return password;
}

} // namespace orvelle::gui
