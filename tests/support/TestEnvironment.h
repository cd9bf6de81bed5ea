#pragma once
// Hermetic surroundings for one test process: its own settings folder (XDG_CONFIG_HOME), runtime folder
// (XDG_RUNTIME_DIR), data folder (XDG_DATA_HOME) and program directory. Create one in initTestCase().

#include <unistd.h>
#include <csignal>
#include <algorithm>
#include <memory>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

namespace zendra::test {

// Puts `bytes` into the file at `path` (replacing what was there) and gives the path back.
inline QString WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes), path;
}

// What the file at `path` holds; "<missing>" when it cannot be read.
inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class TestEnvironment {
public:
    TestEnvironment() {
        QDir root(m_root.path());
        for (const char* sub : {"config", "runtime", "data", "app"}) root.mkpath(QString::fromLatin1(sub));
        qputenv("XDG_CONFIG_HOME", root.filePath(QStringLiteral("config")).toUtf8());
        qputenv("XDG_RUNTIME_DIR", root.filePath(QStringLiteral("runtime")).toUtf8());
        qputenv("XDG_DATA_HOME", root.filePath(QStringLiteral("data")).toUtf8());
        QFile::setPermissions(root.filePath(QStringLiteral("runtime")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    QString Root() const { return m_root.path(); }
    // The program directory with one trailing separator, as AppDir holds it.
    QString AppDir() const { return m_root.path() + QStringLiteral("/app/"); }
    QString ConfigDir() const { return m_root.path() + QStringLiteral("/config"); }

private:
    QTemporaryDir m_root;
};

// A throwaway PostgreSQL server for the chip store: Debian's initdb and pg_ctl in a temporary folder,
// listening on a Unix socket only, without fsync; under root it runs as `nobody`, as the server refuses
// root. One per test process, stopped with it.
class PgCluster {
public:
    // The one server of this test process, started on first use.
    static PgCluster& Shared() {
        if (!Instance()) Instance().reset(new PgCluster);
        return *Instance();
    }
    // Stops the shared server, if one was started; call from cleanupTestCase(), while Qt still runs.
    static void StopShared() { Instance().reset(); }
    // Whether Debian's server programs are there; the reason the server or a database did not come up.
    bool Installed() const { return !m_bin.isEmpty(); }
    const QString& Failure() const { return m_failure; }
    // A new empty database's URL, in libpq's form with the socket's folder; empty when it failed.
    QString NewDatabase(const QString& name) {
        if (!m_failure.isEmpty() || !Installed()) return {};
        return Run(false, QStringLiteral("createdb"), {QStringLiteral("-h"), m_dir.path(), QStringLiteral("-U"),
                                                      QStringLiteral("zendra"), name})
                   ? QStringLiteral("postgresql://zendra@/%1?host=%2").arg(name, m_dir.path())
                   : QString();
    }
    // Every process of the server stopped (SIGSTOP) or let go on (SIGCONT): a server that does not answer.
    void Freeze(bool frozen) {
        const qint64 postmaster = QString::fromLatin1(ReadFile(m_data + QStringLiteral("/postmaster.pid")).split('\n').value(0)).toLongLong();
        if (postmaster <= 0) return;
        QList<qint64> pids{postmaster};
        for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs))
            if (const QByteArray stat = ReadFile(QStringLiteral("/proc/") + entry + QStringLiteral("/stat")); !stat.isEmpty())
                if (stat.mid(stat.lastIndexOf(')') + 2).split(' ').value(1).toLongLong() == postmaster) pids << entry.toLongLong();
        for (const qint64 pid : pids) ::kill(pid_t(pid), frozen ? SIGSTOP : SIGCONT);
    }
    // The server shut down at once, or started again on the same folder.
    bool Stop() { return Run(true, QStringLiteral("pg_ctl"), {QStringLiteral("-D"), m_data, QStringLiteral("-m"), QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")}); }
    bool Start() {
        const QString options = QStringLiteral("-c listen_addresses='' -c fsync=off -c full_page_writes=off -k ") + m_dir.path();
        return Run(true, QStringLiteral("pg_ctl"), {QStringLiteral("-D"), m_data, QStringLiteral("-l"), m_dir.path() + QStringLiteral("/log"),
                                                    QStringLiteral("-w"), QStringLiteral("-o"), options, QStringLiteral("start")});
    }
    ~PgCluster() {
        if (m_started)
            Run(true, QStringLiteral("pg_ctl"), {QStringLiteral("-D"), m_data, QStringLiteral("-m"), QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")});
    }

private:
    static std::unique_ptr<PgCluster>& Instance() {
        static std::unique_ptr<PgCluster> instance;
        return instance;
    }
    PgCluster() {
        QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        std::sort(versions.begin(), versions.end(), [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
        for (const QString& v : versions)
            if (QFile::exists(QStringLiteral("/usr/lib/postgresql/%1/bin/pg_ctl").arg(v))) m_bin = QStringLiteral("/usr/lib/postgresql/%1/bin/").arg(v);
        if (!Installed()) return;
        m_data = m_dir.path() + QStringLiteral("/data");
        if (::geteuid() == 0) {  // the folder must be the server's user's; /tmp's own lets it through
            QProcess::execute(QStringLiteral("chown"), {QStringLiteral("nobody"), m_dir.path()});
            QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        }
        if (!Run(true, QStringLiteral("initdb"), {QStringLiteral("-D"), m_data, QStringLiteral("-U"), QStringLiteral("zendra"),
                                                  QStringLiteral("--auth=trust"), QStringLiteral("--no-sync"), QStringLiteral("--no-instructions")}))
            return;
        m_started = Start();
    }
    // One of the server's programs, as the server's user when `asServer`; its output kept on failure.
    bool Run(bool asServer, const QString& program, QStringList args) {
        QString path = m_bin + program;
        if (asServer && ::geteuid() == 0) {
            args = QStringList{QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--"), path} + args;
            path = QStringLiteral("runuser");
        }
        QProcess process;
        process.setWorkingDirectory(QDir::tempPath());
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(path, args);
        if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0) return true;
        m_failure = program + QStringLiteral(": ") + QString::fromLocal8Bit(process.readAll()) + process.errorString();
        return false;
    }

    QTemporaryDir m_dir{QDir::tempPath() + QStringLiteral("/zendra-pg-XXXXXX")};
    QString m_bin, m_data, m_failure;
    bool m_started = false;
};

}  // namespace zendra::test
