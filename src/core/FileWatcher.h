#pragma once
// Programs on change: follows a few files through the system's notices and says when they have settled
// after a change. Build tools write a file in several steps, or aside and then rename it over the old one,
// and a clean rebuild removes the whole folder: so the folder is followed too, and while it is gone the
// nearest folder above it that exists, until the file's own folder is back.

#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>

namespace zendra::core {

class FileWatcher : public QObject {
    Q_OBJECT
public:
    // A change is taken once the files have been still this long.
    static constexpr int kSettleMs = 300;

    explicit FileWatcher(QObject* parent = nullptr);

    // Follows `paths` from now on, what they hold now taken as seen; an empty list follows nothing. The
    // signals name a file as it was given here.
    void Follow(const QStringList& paths);
    const QStringList& Files() const { return m_files; }
    // True, and what the files hold now taken as seen, when it differs from what was seen last.
    bool TakeChange();
    // Settles again later: for a change that cannot be taken now.
    void SettleAgain() { m_settle.start(); }
    // The folders and files followed at this moment, for tests.
    QStringList Followed() const { return m_watcher.directories() + m_watcher.files(); }

Q_SIGNALS:
    // The files have been still for kSettleMs after a notice and are all there; TakeChange says whether
    // they changed.
    void settled();
    void fileGone(const QString& path);
    void fileBack(const QString& path);

private:
    void Rearm();
    QStringList WantedPaths() const;
    QStringList Digest() const;

    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QStringList m_files;
    QHash<QString, bool> m_present;
    QSet<QString> m_wasThere;  // the files that have been there since Follow: only these can be gone
    QStringList m_seen;
};

}  // namespace zendra::core
