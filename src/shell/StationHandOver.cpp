#include "shell/StationHandOver.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>

namespace zendra::shell {

namespace {

// A request is a path and a few ports: anything longer is no request of ours.
constexpr qint64 kMaxRequestBytes = 64 * 1024;

QByteArray Line(const QJsonObject& object) { return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n'; }

}  // namespace

QString StationSocketPath(const QString& runtimeFolder) { return runtimeFolder + QStringLiteral("/New ZendraV6.station"); }

StationListener::StationListener(const QString& socketPath, std::function<QString(const StationRequest&)> open,
                                 QObject* parent)
    : QObject(parent), m_server(new QLocalServer(this)), m_open(std::move(open)) {
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // The instance lock is ours, so a socket left there is a dead copy's.
    QLocalServer::removeServer(socketPath);
    m_server->listen(socketPath);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = m_server->nextPendingConnection()) {
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            connect(client, &QLocalSocket::readyRead, client, [this, client] {
                if (!client->canReadLine()) {
                    if (client->bytesAvailable() > kMaxRequestBytes) client->abort();
                    return;
                }
                const QJsonObject request = QJsonDocument::fromJson(client->readLine(kMaxRequestBytes)).object();
                StationRequest station{request.value(QStringLiteral("station")).toString(), {}};
                for (const QJsonValue& port : request.value(QStringLiteral("ports")).toArray()) station.ports << port.toString();
                const QString refusal = station.setupPath.isEmpty() ? QStringLiteral("no setup named") : m_open(station);
                client->write(Line({{QStringLiteral("ok"), refusal.isEmpty()}, {QStringLiteral("reason"), refusal}}));
                client->disconnectFromServer();
            });
        }
    });
}

StationListener::~StationListener() = default;

bool StationListener::IsListening() const { return m_server->isListening(); }

HandOverResult HandStationOver(const QString& socketPath, const StationRequest& request, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(timeoutMs)) return {false, socket.errorString()};
    QJsonArray ports;
    for (const QString& port : request.ports) ports.append(port);
    socket.write(Line({{QStringLiteral("station"), request.setupPath}, {QStringLiteral("ports"), ports}}));
    if (!socket.waitForBytesWritten(timeoutMs)) return {false, socket.errorString()};
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs)) return {false, socket.errorString()};
    }
    const QJsonObject answer = QJsonDocument::fromJson(socket.readLine(kMaxRequestBytes)).object();
    return {true, answer.value(QStringLiteral("ok")).toBool() ? QString() : answer.value(QStringLiteral("reason")).toString()};
}

}  // namespace zendra::shell
