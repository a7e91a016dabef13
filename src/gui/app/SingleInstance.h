#pragma once
/// One running copy per user. The first copy listens on a local socket named
/// after the program; a later copy connects, asks the first to bring its
/// window to the front and ends. The socket is the user's own (the name
/// carries the user name), so two users of one machine each get their copy.

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

namespace orvelle::gui {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    /// What start() found.
    enum class Outcome {
        First,          ///< no other copy runs: this one goes on
        OtherActivated, ///< another copy runs and brought its window up: end this one
        OtherSilent,    ///< another copy runs but did not answer: tell the user, then end
    };

    /// `name` names the socket; tests give their own.
    explicit SingleInstance(QString name = defaultName(), QObject* parent = nullptr);
    ~SingleInstance() override;

    Outcome start();

    /// The program's socket name: "Quoril_Orvelle_2014_For_Windows-<user>",
    /// or the environment variable ORVELLE_INSTANCE_NAME when it is set.
    static QString defaultName();

signals:
    /// A later copy asked for the window.
    void activationRequested();

private:
    void acceptConnection();

    QString m_name;
    std::unique_ptr<QLocalServer> m_server;
};

} // namespace orvelle::gui
