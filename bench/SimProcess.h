#pragma once
// Starts kxwrt-sim on a pseudo-terminal for a benchmark and stops it again.

#include <QProcess>
#include <QStringList>

namespace zendra::bench {

class SimProcess {
public:
    explicit SimProcess(const QStringList& arguments) {
        m_process.setProgram(QStringLiteral(ZENDRA_BUILD_DIR "/kxwrt-sim"));
        m_process.setArguments(arguments);
        m_process.start();
        if (m_process.waitForStarted(5000) && m_process.waitForReadyRead(5000))
            m_path = QString::fromUtf8(m_process.readLine()).trimmed();
    }
    ~SimProcess() {
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) m_process.kill();
    }
    QString PtyPath() const { return m_path; }

private:
    QProcess m_process;
    QString m_path;
};

// Process CPU time (user + system) in seconds.
double ProcessCpuSeconds();

}  // namespace zendra::bench
