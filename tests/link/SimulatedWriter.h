#pragma once
// kxwrt-sim as a child process: starts it with the given options, reads the terminal path it prints, and
// kills it when asked (the cable pulled) or when the test ends.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace zendra::test {

class SimulatedWriter {
public:
    explicit SimulatedWriter(const QStringList& options) {
        m_process.setProgram(QStringLiteral(ZENDRA_BUILD_DIR "/kxwrt-sim"));
        m_process.setArguments(options);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start();
        if (!m_process.waitForStarted(5000)) return;
        while (!m_process.canReadLine() && m_process.state() == QProcess::Running)
            m_process.waitForReadyRead(5000);
        m_path = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }
    ~SimulatedWriter() { Kill(); }
    SimulatedWriter(const SimulatedWriter&) = delete;
    SimulatedWriter& operator=(const SimulatedWriter&) = delete;

    QString Path() const { return m_path; }
    QString Errors() { return QString::fromLocal8Bit(m_process.readAllStandardError()); }
    void Kill() {
        if (m_process.state() == QProcess::NotRunning) return;
        m_process.kill();
        m_process.waitForFinished(5000);
    }

private:
    QProcess m_process;
    QString m_path;
};

}  // namespace zendra::test
