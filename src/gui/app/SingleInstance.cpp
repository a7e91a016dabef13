#include "gui/app/SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace orvelle::gui {

namespace {

constexpr int kAnswerWaitMs = 3000;
const QByteArray kShowRequest = "show\n";
const QByteArray kShownAnswer = "shown\n";

} // namespace

SingleInstance::SingleInstance(QString name, QObject* parent) : QObject(parent), m_name(std::move(name)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultName() {
    const QString overridden = qEnvironmentVariable("ORVELLE_INSTANCE_NAME");
    if (!overridden.isEmpty()) return overridden;
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty()) user = qEnvironmentVariable("USERNAME");
    return QStringLiteral("Quoril_Orvelle_2014_For_Windows-") + user;
}

SingleInstance::Outcome SingleInstance::start() {
    {
        QLocalSocket other;
        other.connectToServer(m_name);
        if (other.waitForConnected(500)) {
            other.write(kShowRequest);
            other.waitForBytesWritten(kAnswerWaitMs);
            QByteArray answer;
            while (!answer.contains('\n') && other.waitForReadyRead(kAnswerWaitMs)) answer += other.readAll();
            return answer == kShownAnswer ? Outcome::OtherActivated : Outcome::OtherSilent;
        }
    }
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name)) {
        // A copy that crashed leaves its socket file behind on Unix.
        QLocalServer::removeServer(m_name);
        m_server->listen(m_name); // when even this fails the program still runs
    }
    connect(m_server.get(), &QLocalServer::newConnection, this, &SingleInstance::acceptConnection);
    return Outcome::First;
}

void SingleInstance::acceptConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->readAll().contains(kShowRequest)) return;
            emit activationRequested();
            socket->write(kShownAnswer);
            socket->flush();
        });
    }
}

} // namespace orvelle::gui
