#include "production/StationFiles.h"

#include <QFileInfo>

namespace zendra::production {

namespace {

QString AcceptedKey(const StationFile& file) { return file.path + QLatin1Char('\n') + file.loaded; }

}  // namespace

QString ShortSha256(const QString& sha256) { return sha256.left(12); }

StationFiles::StationFiles(const BenchSetup& setup, const QString& setupPath, const QList<FileDigest>& loaded) {
    QList<std::pair<QString, const PinnedFile*>> pinned{{QStringLiteral("code"), &setup.code}};
    if (setup.eeprom && setup.programEeprom) pinned.append({QStringLiteral("eeprom"), &*setup.eeprom});
    for (const auto& [role, file] : pinned)
        m_files.append({.role = role,
                        .path = QFileInfo(ResolvedPath(setupPath, file->path)).absoluteFilePath(),
                        .pinned = file->sha256});
    Take(loaded);
}

void StationFiles::Take(const QList<FileDigest>& loaded) {
    for (StationFile& file : m_files) {
        file.loaded.clear();
        for (const FileDigest& digest : loaded)
            if (QFileInfo(digest.path).absoluteFilePath() == file.path) file.loaded = digest.sha256;
        // What was just read is what lies on disk; its time is taken now for the next look.
        file.onDisk = file.loaded;
        const QFileInfo info(file.path);
        file.modified = info.exists() ? info.lastModified() : QDateTime();
        file.size = info.exists() ? info.size() : -1;
        file.accepted = m_acceptedBytes.contains(AcceptedKey(file));
    }
}

QStringList StationFiles::Unaccepted() const {
    QStringList paths;
    for (const StationFile& file : m_files)
        if (file.DiffersFromSetup() && !file.accepted) paths << file.path;
    return paths;
}

void StationFiles::Accept(const QString& path) {
    for (StationFile& file : m_files)
        if (file.path == path && file.DiffersFromSetup() && !file.loaded.isEmpty()) {
            file.accepted = true;
            m_acceptedBytes.insert(AcceptedKey(file));
        }
}

QStringList StationFiles::ChangedOnDisk() const {
    QStringList paths;
    for (const StationFile& file : m_files)
        if (file.ChangedSinceLoaded()) paths << file.path;
    return paths;
}

bool StationFiles::Refresh() {
    bool moved = false;
    for (StationFile& file : m_files) {
        const QFileInfo info(file.path);
        const QDateTime modified = info.exists() ? info.lastModified() : QDateTime();
        const qint64 size = info.exists() ? info.size() : -1;
        if (modified == file.modified && size == file.size) continue;
        file.modified = modified;
        file.size = size;
        const QString now = FileSha256(file.path);
        moved = moved || now != file.onDisk;
        file.onDisk = now;
    }
    return moved;
}

void StationFiles::Reloaded(const QList<FileDigest>& loaded) { Take(loaded); }

}  // namespace zendra::production
