#pragma once
// A bench setup (a ".zendra" file): the job a workshop prepared (files pinned by SHA-256, device, EEPROM,
// lock/fuse choices, serial stamp, calibration copy, store, writer ports) as one value, read and written
// as JSON, and the plain command lines it stands for. Both front ends use this one definition.

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

namespace zendra::production {

// The newest version of the file this program reads; a higher one is refused, never half understood. A
// setup is written at the lowest version that says all it holds, so older programs still run the others:
// format 2 when its series takes its values from a list or a program, or keeps the chip's own number,
// which a program that knows only counters would silently replace.
inline constexpr int kSetupFormat = 2;

struct PinnedFile {
    QString path;    // as stored: relative to the setup file's folder
    QString sha256;  // lower-case hex of the bytes the setup was made with
};

struct SetupChoice {
    QString field;   // the field's name, as the command line prints it ("CKSEL", "LockBit")
    QString choice;  // the entry's name, as the panel shows it
    QJsonObject kept;  // the item as read: keys of a later program go back out untouched
};

// What a stamped run does with the number a chip carries, as a setup and the settings keep it: the next
// number (empty), "keep" or "strict", in the order of operations::SerialKeep.
inline const QStringList kSerialKeepWords{QString(), QStringLiteral("keep"), QStringLiteral("strict")};

struct BenchSetup {
    PinnedFile code;
    std::optional<PinnedFile> eeprom;
    bool programEeprom = true;
    QString device;                // the catalogue name; empty: the chip's signature decides
    QList<SetupChoice> lockFuse;   // written after a good verify; empty: none
    QString serialAt, serialFormat, series;  // the stamp; serialAt empty: none
    std::optional<qint64> serialStart, serialStep;
    QString serialKeep;            // one of kSerialKeepWords
    bool serialReuseFailed = false;  // a number that never reached a chip goes out again
    QString serialList;            // the series' values from this list (stored relative to the setup)
    QString serialCommand;         // or from this program, run in the setup's folder
    QString calibrationAt;         // empty: no copy
    QString store;                 // the chip store as stored (relative to the setup); empty: the default
    QStringList ports;
    QJsonObject kept;              // the file as read: keys of a later program go back out untouched
};

enum class SetupProblem { None, Unreadable, NotSetup, Newer, BadValue };

struct SetupLoad {
    BenchSetup setup;
    SetupProblem problem = SetupProblem::None;
    QString reason;  // the system's reason for an unreadable file
    int format = 0;  // the file's format, for a refusal of a newer one
    QString key;     // a value of the wrong type or out of range: its key ("stamp.start", "ports[1]")
    QString nearDevice;  // a device the catalogue does not hold: the catalogue name nearest to it, if any
};

SetupLoad LoadSetup(const QString& path);
// Writes the setup at `path` as a whole (nothing half written); the system's reason when it could not.
std::optional<QString> SaveSetup(const BenchSetup& setup, const QString& path);

// A stored path made usable from the current folder: a relative one is taken from the folder of the setup
// file itself (a symbolic link to it followed); a chip store's server URL stays as it is.
QString ResolvedPath(const QString& setupPath, const QString& stored);
// The folder a setup's relative paths start from (a symbolic link to the setup followed).
QString SetupFolderPath(const QString& setupPath);
// A file's path as the setup stores it: relative to the setup's folder (a server URL as it is).
QString StoredPath(const QString& setupPath, const QString& file);

// The SHA-256 of a file's bytes in lower-case hex; empty when it cannot be read.
QString FileSha256(const QString& path);
// The setup's files (resolved) whose bytes are no longer those it was made with. One that cannot be read
// (gone, a folder, a FIFO, a device) is left to the reader that takes it, which says what is wrong.
QStringList ChangedFiles(const BenchSetup& setup, const QString& setupPath);

// The options a program run of the setup takes (name without dashes, value or empty for a flag) and its
// files, every path resolved; `--fuse` carries the lock/fuse choices.
struct SetupArguments {
    QList<std::pair<QString, QString>> options;
    QStringList files;
};
SetupArguments ArgumentsOf(const BenchSetup& setup, const QString& setupPath);

// The plain commands the setup stands for, each ready for a shell: a "zendra-cli ... program ..." line
// and, when the setup writes lock/fuse choices, a "zendra-cli ... fuse write NAME=VALUE..." line.
QStringList CommandLines(const BenchSetup& setup, const QString& setupPath);

}  // namespace zendra::production
