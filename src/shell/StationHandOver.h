#pragma once
// A station asked for while zendra already runs (`zendra --station SETUP` a second time) is handed to
// the running copy over a local socket in the user's runtime folder, which only the user can reach; the
// copy opens the station and answers whether it could.

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QLocalServer;

namespace zendra::shell {

struct StationRequest {
    QString setupPath;  // absolute
    QStringList ports;
};

// The socket's path beside the single-instance lock.
QString StationSocketPath(const QString& runtimeFolder);

// The running copy's end: each request goes to `open`, which answers with why the station cannot open
// (empty: it opened).
class StationListener final : public QObject {
    Q_OBJECT
public:
    StationListener(const QString& socketPath, std::function<QString(const StationRequest&)> open,
                    QObject* parent = nullptr);
    ~StationListener() override;
    bool IsListening() const;

private:
    QLocalServer* m_server;
    std::function<QString(const StationRequest&)> m_open;
};

struct HandOverResult {
    bool delivered = false;  // the running copy took the request and answered
    QString answer;          // its refusal, or why the request could not be delivered
};

// The second copy's end: blocks at most `timeoutMs`.
HandOverResult HandStationOver(const QString& socketPath, const StationRequest& request, int timeoutMs = 5000);

}  // namespace zendra::shell
