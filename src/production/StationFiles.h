#pragma once
// The job's files as a production station holds them: the bytes the setup was made with (its pinned
// SHA-256), the bytes the station loaded at its start, and what lies on disk now. A file loaded with
// other bytes than the setup's stops the station until an engineer accepts it, for this session only
// (the setup is not rewritten); a file changed on disk after the start changes nothing but a notice,
// since the station programs what it loaded until an engineer reloads.

#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include "production/ChipStore.h"
#include "production/BenchSetup.h"

namespace zendra::production {

struct StationFile {
    QString role;    // "code" or "eeprom", as the records name them
    QString path;    // absolute
    QString pinned;  // the setup's SHA-256
    QString loaded;  // the SHA-256 of the bytes the station programs
    QString onDisk;  // the SHA-256 of the file now; empty: it cannot be read
    QDateTime modified;
    qint64 size = -1;
    bool accepted = false;  // loaded bytes other than the setup's, accepted by an engineer

    bool DiffersFromSetup() const { return loaded != pinned; }
    bool ChangedSinceLoaded() const { return onDisk != loaded; }
};

// The first 12 hex digits, enough to tell two versions of a file apart at a glance.
QString ShortSha256(const QString& sha256);

class StationFiles {
public:
    // `loaded`: the files as the station's job read them (role, absolute path, SHA-256 of the bytes).
    StationFiles(const BenchSetup& setup, const QString& setupPath, const QList<FileDigest>& loaded);

    const QList<StationFile>& Files() const { return m_files; }
    // The files that keep the station from starting a chip: loaded with other bytes than the setup's and
    // not accepted.
    QStringList Unaccepted() const;
    bool Stopped() const { return !Unaccepted().isEmpty(); }
    // An engineer accepts the loaded bytes of the file at `path` for this session.
    void Accept(const QString& path);
    // The files whose bytes on disk are no longer those loaded.
    QStringList ChangedOnDisk() const;
    // Looks at the files on disk again, hashing only those whose time or size moved; true when anything
    // shown changed.
    bool Refresh();
    // An engineer reloaded: `loaded` is what the job now programs. An acceptance holds for the bytes it
    // was given to, so a file that changed again needs another.
    void Reloaded(const QList<FileDigest>& loaded);

private:
    void Take(const QList<FileDigest>& loaded);

    QList<StationFile> m_files;
    QSet<QString> m_acceptedBytes;  // "path\nsha256"
};

}  // namespace zendra::production
