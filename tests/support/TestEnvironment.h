#pragma once
// Hermetic surroundings for one test process: its own settings folder (XDG_CONFIG_HOME), runtime folder
// (XDG_RUNTIME_DIR), data folder (XDG_DATA_HOME) and program directory. Create one in initTestCase().

#include <QDir>
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

}  // namespace zendra::test
