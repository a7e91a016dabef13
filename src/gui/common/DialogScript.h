#pragma once
/// The one seam through which tests answer the program's modal questions.
///
/// While a script runs (tests only), message boxes, folder choosers and the
/// password dialog are not shown: each takes the next scripted answer of its
/// kind. One that finds no answer is recorded as unscripted and answered with
/// "cancel", so a test fails on it instead of hanging.

#include <QString>
#include <QStringList>

#include <optional>

namespace orvelle::gui {

class DialogScript {
public:
    /// Starts scripting and forgets earlier answers and records.
    static void start();
    /// Ends scripting: dialogs are shown again.
    static void stop();
    static bool active();

    /// The next message box answers `result` (1 OK, 2 cancel).
    static void answerMessageBox(int result);
    /// The next folder chooser picks `folder`; an empty text cancels it.
    static void chooseFolder(const QString& folder);
    /// The next password dialog confirms `password`; nothing cancels it.
    static void enterPassword(std::optional<QString> password);

    /// "kind: text" of every message box met while scripting, in order.
    static QStringList messageBoxes();
    /// Every dialog met without a scripted answer.
    static QStringList unscripted();
    /// Answers not used yet (a test checks that its script was consumed).
    static int pendingAnswers();

    // --- for the dialogs ---
    static int takeMessageBoxAnswer(const QString& kind, const QString& text);
    static QString takeFolder(const QString& title);
    static std::optional<QString> takePassword();
};

} // namespace orvelle::gui
