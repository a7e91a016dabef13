#pragma once
/// The program's modal message box: five kinds, a title, a text, OK (and for
/// some kinds Cancel). Answers 1 for OK and 2 for Cancel, the window's close
/// button or Escape; Enter is left to the focused button.
///
/// | kind        | value | default title key | buttons     |
/// |-------------|-------|-------------------|-------------|
/// | Error       | 0     | MSG0401           | OK          |
/// | Confirm     | 1     | MSG0402           | OK, Cancel  |
/// | Information | 2     | MSG0403           | OK          |
/// | Warning     | 3     | MSG0405           | OK, Cancel  |
/// | Question    | 4     | MSG0404           | OK, Cancel  |
///
/// Any other value behaves as Error. Button texts come from the language
/// section "MessageBox". While a DialogScript runs, run() takes the scripted
/// answer instead of showing the box.

#include <QDialog>
#include <QSize>

#include <memory>

namespace Ui {
class MessageBox;
}

namespace orvelle::gui {

enum class MessageKind : int { Error = 0, Confirm = 1, Information = 2, Warning = 3, Question = 4 };

constexpr int kAnswerOk = 1;
constexpr int kAnswerCancel = 2;
/// The size every caller uses, but the single-instance notice.
constexpr QSize kMessageBoxSize{550, 200};

class MessageBox : public QDialog {
    Q_OBJECT
public:
    /// A box of `kind` over `owner` (may be null), not shown yet: the prepared
    /// box a caller can still change before run().
    MessageBox(QWidget* owner, MessageKind kind, QSize size = kMessageBoxSize);
    ~MessageBox() override;

    MessageKind kind() const { return m_kind; }
    void setTitle(const QString& title);
    void setText(const QString& text);
    QString text() const;
    /// Shows or hides the Cancel button.
    void setCancelShown(bool shown);

    /// Shows the box modally; 1 or 2.
    int run();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void applyTexts();

    std::unique_ptr<Ui::MessageBox> m_ui;
    MessageKind m_kind;
};

/// Shows a box of `kind` with `text`; `title` empty takes the kind's default
/// title. Returns 1 (OK) or 2.
int showMessageBox(QWidget* owner, MessageKind kind, const QString& text, const QString& title = {},
                   QSize size = kMessageBoxSize);

/// The kind for a stored number (anything unknown is Error).
MessageKind messageKindFromValue(int value);

} // namespace orvelle::gui
