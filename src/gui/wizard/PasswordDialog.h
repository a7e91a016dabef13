#pragma once
/// Asks for the password of an encrypted backup: masked, at most 256
/// characters; OK confirms, Enter does not, Escape or Cancel cancels.

#include <QDialog>
#include <memory>
#include <optional>

namespace orvelle::gui {

class PasswordDialog : public QDialog {
    Q_OBJECT
public:
    /// The dialog's results: OK, and Cancel, Escape or the window's close button.
    static constexpr int kResultOk = 1;
    static constexpr int kResultCancel = 2;

    explicit PasswordDialog(QWidget* owner = nullptr);
    ~PasswordDialog() override;
    QString password() const;
    void applyTexts();

public slots:
    /// Closing the dialog in any way but OK cancels it (result 2).
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    /// Opens the help page that ships beside the program.
    void openHelpPage();

    struct State;
    std::unique_ptr<State> m_state;
};

/// Shows the dialog modally (or takes the test script's answer): the
/// password, or nothing when the user cancelled.
std::optional<QString> askPassword(QWidget* owner);

} // namespace orvelle::gui
