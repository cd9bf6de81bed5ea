#include "core/FileWatcher.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>

#include "core/BoundedFile.h"

namespace zendra::core {

namespace {

// The file's folder, or the nearest folder above it that exists; a folder made there is noticed.
QString NearestExistingFolder(const QString& file) {
    QString folder = QFileInfo(file).absolutePath();
    while (!QFileInfo(folder).isDir()) {
        const QString above = QFileInfo(folder).absolutePath();
        if (above == folder) break;
        folder = above;
    }
    return folder;
}

}  // namespace

FileWatcher::FileWatcher(QObject* parent) : QObject(parent) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    // A file that is gone is being rebuilt: its change is taken once it is back, never as a failed reload.
    // (A file that was never there, an EEPROM file beside the code file that none was made for, is not gone.)
    connect(&m_settle, &QTimer::timeout, this, [this] {
        if (std::all_of(m_files.begin(), m_files.end(),
                        [this](const QString& f) { return !m_wasThere.contains(f) || QFileInfo(f).isFile(); }))
            Q_EMIT settled();
    });
    const auto noticed = [this] {
        Rearm();
        m_settle.start();
    };
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, noticed);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, noticed);
}

void FileWatcher::Follow(const QStringList& paths) {
    if (const QStringList followed = Followed(); !followed.isEmpty()) m_watcher.removePaths(followed);
    m_settle.stop();
    m_files.clear();
    m_present.clear();
    m_wasThere.clear();
    for (const QString& path : paths) {
        if (path.isEmpty()) continue;
        m_files << path;
        m_present.insert(path, QFileInfo(path).isFile());
        if (m_present.value(path)) m_wasThere.insert(path);
    }
    m_seen = Digest();
    Rearm();
}

bool FileWatcher::TakeChange() {
    const QStringList now = Digest();
    if (now == m_seen) return false;
    m_seen = now;
    return true;
}

QStringList FileWatcher::WantedPaths() const {
    QStringList wanted;
    for (const QString& file : m_files) {
        // The folder too: a file renamed over the old one is a new file, which a watch on the old one misses.
        const QString folder = NearestExistingFolder(file);
        if (!wanted.contains(folder)) wanted << folder;
        if (const QFileInfo info(file); info.isFile()) wanted << info.absoluteFilePath();
    }
    return wanted;
}

void FileWatcher::Rearm() {
    // A folder removed and made again is a new folder, and a watch on the old one hears nothing more: every
    // path is given a fresh watch. A folder made while this runs is caught by looking again.
    for (int round = 0; round < 8; ++round) {
        const QStringList wanted = WantedPaths();
        if (const QStringList followed = Followed(); !followed.isEmpty()) m_watcher.removePaths(followed);
        for (const QString& path : wanted) m_watcher.addPath(path);
        if (WantedPaths() == wanted) break;
    }
    for (const QString& file : m_files) {
        const bool present = QFileInfo(file).isFile();
        bool& was = m_present[file];
        if (present == was) continue;
        was = present;
        if (present) m_wasThere.insert(file);
        if (present)
            Q_EMIT fileBack(file);
        else
            Q_EMIT fileGone(file);
    }
}

QStringList FileWatcher::Digest() const {
    // What each file holds, or why it cannot be read: a file gone and back unchanged is no change.
    QStringList digest;
    for (const QString& path : m_files) {
        const BoundedRead read = ReadBoundedFile(path);
        digest << (read.Ok() ? Sha256Hex(read.bytes) : QStringLiteral("-%1").arg(int(read.refusal)));
    }
    return digest;
}

}  // namespace zendra::core
