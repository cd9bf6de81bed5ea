#include "production/Setup.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSaveFile>

#include "core/BoundedFile.h"
#include "production/ChipStore.h"
#include "production/StoreLocation.h"

namespace zendra::production {

namespace {

QString Key(const char* name) { return QString::fromLatin1(name); }

std::optional<PinnedFile> PinnedFrom(const QJsonValue& value) {
    const QJsonObject object = value.toObject();
    const QString path = object.value(Key("path")).toString();
    if (path.isEmpty()) return std::nullopt;
    return PinnedFile{path, object.value(Key("sha256")).toString().toLower()};
}

// The file's object with the known keys set over what it held, so a later program's keys stay.
QJsonObject PinnedTo(const PinnedFile& file, QJsonObject kept) {
    kept.insert(Key("path"), file.path);
    kept.insert(Key("sha256"), file.sha256);
    return kept;
}

std::optional<qint64> NumberFrom(const QJsonObject& object, const char* name) {
    const QJsonValue value = object.value(Key(name));
    return value.isDouble() ? std::optional<qint64>(qint64(value.toDouble())) : std::nullopt;
}

// A key set when it holds something, removed when it holds nothing.
template <typename Value>
void SetOrRemove(QJsonObject& object, const char* name, bool present, const Value& value) {
    if (present)
        object.insert(Key(name), value);
    else
        object.remove(Key(name));
}

// One argument as a POSIX shell reads it back unchanged.
QString Quoted(const QString& argument) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./:=,@+%-]+$"));
    if (plain.match(argument).hasMatch()) return argument;
    QString text = argument;
    return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QStringLiteral("'\\''")) + QLatin1Char('\'');
}

QString Line(const QStringList& arguments) {
    QStringList quoted{QStringLiteral("zendra-cli")};
    for (const QString& argument : arguments) quoted << Quoted(argument);
    return quoted.join(QLatin1Char(' '));
}

}  // namespace

SetupLoad LoadSetup(const QString& path) {
    SetupLoad load;
    const core::BoundedRead read = core::ReadBoundedFile(path);
    if (!read.Ok()) {
        load.problem = SetupProblem::Unreadable;
        load.reason = read.systemReason;
        return load;
    }
    const QJsonDocument document = QJsonDocument::fromJson(read.bytes);
    const QJsonObject root = document.object();
    const QJsonValue format = root.value(Key("format"));
    load.format = format.toInt();
    // A format is a whole number; anything else is not a setup of any version.
    if (!document.isObject() || !format.isDouble() || format.toDouble() != load.format || load.format < 1) {
        load.problem = SetupProblem::NotSetup;
        return load;
    }
    if (load.format > kSetupFormat) {
        load.problem = SetupProblem::Newer;
        return load;
    }
    Setup& setup = load.setup;
    setup.kept = root;
    const auto code = PinnedFrom(root.value(Key("code")));
    if (!code) {
        load.problem = SetupProblem::NotSetup;
        return load;
    }
    setup.code = *code;
    setup.eeprom = PinnedFrom(root.value(Key("eeprom")));
    setup.programEeprom = root.value(Key("programEeprom")).toBool(true);
    setup.device = root.value(Key("device")).toString();
    for (const QJsonValue& choice : root.value(Key("lockFuse")).toArray())
        setup.lockFuse.append({choice[Key("field")].toString(), choice[Key("choice")].toString()});
    const QJsonObject stamp = root.value(Key("stamp")).toObject();
    setup.serialAt = stamp.value(Key("at")).toString();
    setup.serialFormat = stamp.value(Key("format")).toString();
    setup.series = stamp.value(Key("series")).toString();
    setup.serialStart = NumberFrom(stamp, "start");
    setup.serialStep = NumberFrom(stamp, "step");
    setup.calibrationAt = root.value(Key("calibrationAt")).toString();
    setup.store = root.value(Key("store")).toString();
    for (const QJsonValue& port : root.value(Key("ports")).toArray()) setup.ports << port.toString();
    return load;
}

std::optional<QString> SaveSetup(const Setup& setup, const QString& path) {
    QJsonObject root = setup.kept;
    root.insert(Key("format"), kSetupFormat);
    root.insert(Key("code"), PinnedTo(setup.code, root.value(Key("code")).toObject()));
    SetOrRemove(root, "eeprom", bool(setup.eeprom),
                setup.eeprom ? PinnedTo(*setup.eeprom, root.value(Key("eeprom")).toObject()) : QJsonObject());
    root.insert(Key("programEeprom"), setup.programEeprom);
    SetOrRemove(root, "device", !setup.device.isEmpty(), setup.device);
    QJsonArray choices;
    for (const SetupChoice& choice : setup.lockFuse)
        choices.append(QJsonObject{{Key("field"), choice.field}, {Key("choice"), choice.choice}});
    root.insert(Key("lockFuse"), choices);
    QJsonObject stamp = root.value(Key("stamp")).toObject();
    stamp.insert(Key("at"), setup.serialAt);
    stamp.insert(Key("format"), setup.serialFormat);
    SetOrRemove(stamp, "series", !setup.series.isEmpty(), setup.series);
    SetOrRemove(stamp, "start", bool(setup.serialStart), double(setup.serialStart.value_or(0)));
    SetOrRemove(stamp, "step", bool(setup.serialStep), double(setup.serialStep.value_or(0)));
    SetOrRemove(root, "stamp", !setup.serialAt.isEmpty(), stamp);
    SetOrRemove(root, "calibrationAt", !setup.calibrationAt.isEmpty(), setup.calibrationAt);
    SetOrRemove(root, "store", !setup.store.isEmpty(), setup.store);
    root.insert(Key("ports"), QJsonArray::fromStringList(setup.ports));

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(root).toJson()) < 0 || !file.commit())
        return file.errorString();
    return std::nullopt;
}

namespace {

// The folder a setup's relative paths start from: the setup file's own, a symbolic link to it followed, so
// a setup reached through a link finds the files beside it.
QDir SetupFolder(const QString& setupPath) {
    const QFileInfo info(setupPath);
    const QString real = info.canonicalFilePath();
    return real.isEmpty() ? info.absoluteDir() : QFileInfo(real).absoluteDir();
}

}  // namespace

// A store on a server is named by its URL, which no folder changes.
QString ResolvedPath(const QString& setupPath, const QString& stored) {
    if (stored.isEmpty() || QFileInfo(stored).isAbsolute() || ChipStore::IsServerLocation(stored)) return stored;
    return QDir::cleanPath(SetupFolder(setupPath).filePath(stored));
}

QString StoredPath(const QString& setupPath, const QString& file) {
    if (ChipStore::IsServerLocation(file)) return file;
    return SetupFolder(setupPath).relativeFilePath(QFileInfo(file).absoluteFilePath());
}

QString FileSha256(const QString& path) {
    const core::BoundedRead read = core::ReadBoundedFile(path);
    if (!read.Ok()) return {};
    return QString::fromLatin1(QCryptographicHash::hash(read.bytes, QCryptographicHash::Sha256).toHex());
}

QStringList ChangedFiles(const Setup& setup, const QString& setupPath) {
    QStringList changed;
    QList<PinnedFile> files{setup.code};
    if (setup.eeprom && setup.programEeprom) files << *setup.eeprom;
    for (const PinnedFile& file : files) {
        const QString path = ResolvedPath(setupPath, file.path);
        // A file that is gone or is no regular file has not changed: the reader that takes it says what is
        // wrong with it, and refuses it whatever the user accepts.
        const core::BoundedRead read = core::ReadBoundedFile(path);
        if (!read.Ok()) continue;
        if (QString::fromLatin1(QCryptographicHash::hash(read.bytes, QCryptographicHash::Sha256).toHex()) != file.sha256)
            changed << path;
    }
    return changed;
}

SetupArguments ArgumentsOf(const Setup& setup, const QString& setupPath) {
    SetupArguments arguments;
    auto& options = arguments.options;
    const auto option = [&](const char* name, const QString& value) { options.append({Key(name), value}); };
    if (!setup.device.isEmpty()) option("device", setup.device);
    for (const QString& port : setup.ports) option("port", port);
    if (!setup.store.isEmpty()) option("db", ResolvedPath(setupPath, setup.store));
    if (!setup.serialAt.isEmpty()) {
        option("serial-at", setup.serialAt);
        option("serial-format", setup.serialFormat);
        if (setup.serialStart) option("serial-start", QString::number(*setup.serialStart));
        if (setup.serialStep) option("serial-step", QString::number(*setup.serialStep));
        if (!setup.series.isEmpty()) option("serial-series", setup.series);
    }
    if (!setup.calibrationAt.isEmpty()) option("calibration-at", setup.calibrationAt);
    // Without this a program run would take an EEPROM file found beside the code file.
    if (!setup.programEeprom) option("no-eeprom", QString());
    for (const SetupChoice& choice : setup.lockFuse) option("fuse", choice.field + QLatin1Char('=') + choice.choice);
    arguments.files << ResolvedPath(setupPath, setup.code.path);
    if (setup.eeprom && setup.programEeprom) arguments.files << ResolvedPath(setupPath, setup.eeprom->path);
    return arguments;
}

QStringList CommandLines(const Setup& setup, const QString& setupPath) {
    const SetupArguments arguments = ArgumentsOf(setup, setupPath);
    QStringList program, fuse, settings;
    for (auto [name, value] : arguments.options) {
        if (name == QLatin1String("db")) value = WithoutPassword(value);  // shown, never a password
        if (name == QLatin1String("fuse")) {
            settings << value;
            continue;
        }
        program << QStringLiteral("--") + name;
        if (!value.isEmpty()) program << value;
        // The lock/fuse write goes to the same chip on the same writers and into the same store.
        if (name == QLatin1String("device") || name == QLatin1String("port") || name == QLatin1String("db"))
            fuse << QStringLiteral("--") + name << value;
    }
    QStringList lines{Line(program + QStringList{QStringLiteral("program")} + arguments.files)};
    if (!settings.isEmpty()) lines << Line(fuse + QStringList{QStringLiteral("fuse"), QStringLiteral("write")} + settings);
    return lines;
}

}  // namespace zendra::production
