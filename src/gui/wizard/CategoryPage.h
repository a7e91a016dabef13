#pragma once
/// The second step: fourteen category options and "select all" (half
/// selected when some are ticked); Next is enabled while at least one is
/// ticked, asks for the password of an encrypted backup and then asks for
/// the scan to start.

#include <QWidget>
#include <memory>

namespace orvelle::gui {

struct ScanChoice;

class CategoryPage : public QWidget {
    Q_OBJECT
public:
    /// Ticked options and the password are written into `choice`.
    explicit CategoryPage(ScanChoice& choice, QWidget* parent = nullptr);
    ~CategoryPage() override;

    /// The scan reported a wrong or missing password: tell the user
    /// ("MSG0302"), ask again, and ask for the scan again unless cancelled.
    void passwordWasWrong();
    /// Enables Next again (after the scan opened or was cancelled).
    void enableNext();
    void applyTexts();

signals:
    /// Start the scan of the choice.
    void scanRequested();

private:
    /// Asks for the password of an encrypted backup and stores it in the
    /// choice; false when the user cancelled.
    bool askForPassword();
    /// Ticks or clears every option (a click on "select all").
    void setAllTicked(bool ticked);
    /// Copies the options into the choice and shows their sum on "select all" and Next.
    void optionsChanged();
    void next();

    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace orvelle::gui
