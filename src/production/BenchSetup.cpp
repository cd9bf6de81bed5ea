#include "production/BenchSetup.h"

#include <algorithm>
#include <cmath>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSaveFile>

#include "core/BoundedFile.h"
#include "devices/DeviceNames.h"
#include "devices/Encodings.h"
#include "production/Stamp.h"
#include "production/ChipStore.h"
#include "production/SerialSource.h"
#include "production/StoreLocation.h"

namespace zendra::production {

namespace {

QString Key(const char* name) { return QString::fromLatin1(name); }

// The file's object with the known keys set over what it held, so a later program's keys stay.
QJsonObject PinnedTo(const PinnedFile& file, QJsonObject kept) {
    kept.insert(Key("path"), file.path);
    kept.insert(Key("sha256"), file.sha256);
    return kept;
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

namespace {

// Reads the setup's values with their types checked; the first value of a wrong type or out of range
// names its key, and nothing of the setup is used.
class SetupReader {
public:
    explicit SetupReader(SetupLoad& load) : m_load(load) {}

    bool Failed() const { return m_load.problem != SetupProblem::None; }

    // A value that must be of the expected kind; absent (or null where allowed) is fine.
    bool Refuse(const QString& key) {
        if (!Failed()) {
            m_load.problem = SetupProblem::BadValue;
            m_load.key = key;
        }
        return false;
    }

    std::optional<QString> Text(const QJsonObject& object, const char* name, const QString& key, bool nonEmpty = false) {
        const QJsonValue value = object.value(Key(name));
        if (value.isUndefined()) return std::nullopt;
        if (!value.isString() || (nonEmpty && value.toString().isEmpty())) return Refuse(key), std::nullopt;
        return value.toString();
    }

    std::optional<qint64> Whole(const QJsonObject& object, const char* name, const QString& key, qint64 least) {
        const QJsonValue value = object.value(Key(name));
        if (value.isUndefined()) return std::nullopt;
        const double number = value.toDouble();
        // A double holds every whole number up to 2^53 exactly; past that a number is no longer the one written.
        if (!value.isDouble() || number != std::floor(number) || number < double(least) || number > 9007199254740992.0)
            return Refuse(key), std::nullopt;
        return qint64(number);
    }

    std::optional<PinnedFile> Pinned(const QJsonObject& root, const char* name, bool required) {
        const QJsonValue value = root.value(Key(name));
        if (value.isUndefined() || (value.isNull() && !required)) {
            if (required) m_load.problem = SetupProblem::NotSetup;
            return std::nullopt;
        }
        const QString key = Key(name);
        if (!value.isObject()) return Refuse(key), std::nullopt;
        const auto path = Text(value.toObject(), "path", key + QStringLiteral(".path"), true);
        const auto digest = Text(value.toObject(), "sha256", key + QStringLiteral(".sha256"));
        if (Failed()) return std::nullopt;
        if (!path) return Refuse(key + QStringLiteral(".path")), std::nullopt;
        // A digest that is missing or matches no file is a changed file, said as such when the setup is run.
        return PinnedFile{*path, digest.value_or(QString()).toLower()};
    }

private:
    SetupLoad& m_load;
};

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
    BenchSetup& setup = load.setup;
    SetupReader in(load);
    setup.kept = root;
    const auto code = in.Pinned(root, "code", true);
    if (!code) return load;
    setup.code = *code;
    setup.eeprom = in.Pinned(root, "eeprom", false);
    if (const QJsonValue value = root.value(Key("programEeprom")); !value.isUndefined()) {
        if (!value.isBool()) return in.Refuse(Key("programEeprom")), load;
        setup.programEeprom = value.toBool();
    }
    setup.device = in.Text(root, "device", Key("device")).value_or(QString());
    if (!setup.device.isEmpty() && !devices::FindDevice(setup.device)) {
        in.Refuse(Key("device"));
        // A hand-edited setup's slip of the keyboard: the row it was probably meant for.
        const devices::Device* near = load.key == Key("device") ? devices::NearestDevice(setup.device) : nullptr;
        if (near) load.nearDevice = near->Name();
    }
    if (const QJsonValue value = root.value(Key("lockFuse")); !value.isUndefined()) {
        if (!value.isArray()) return in.Refuse(Key("lockFuse")), load;
        const QJsonArray items = value.toArray();
        for (qsizetype i = 0; i < items.size(); ++i) {
            const QString key = QStringLiteral("lockFuse[%1]").arg(i);
            if (!items.at(i).isObject()) return in.Refuse(key), load;
            const QJsonObject item = items.at(i).toObject();
            const auto field = in.Text(item, "field", key + QStringLiteral(".field"), true);
            const auto choice = in.Text(item, "choice", key + QStringLiteral(".choice"), true);
            if (in.Failed()) return load;
            if (!field || !devices::ControlByName(*field)) return in.Refuse(key + QStringLiteral(".field")), load;
            if (!choice) return in.Refuse(key + QStringLiteral(".choice")), load;
            setup.lockFuse.append({*field, *choice, item});
        }
    }
    if (const QJsonValue value = root.value(Key("stamp")); !value.isUndefined()) {
        if (!value.isObject()) return in.Refuse(Key("stamp")), load;
        const QJsonObject stamp = value.toObject();
        setup.serialAt = in.Text(stamp, "at", QStringLiteral("stamp.at"), true).value_or(QString());
        if (!in.Failed() && !ParsePlace(setup.serialAt)) in.Refuse(QStringLiteral("stamp.at"));
        setup.serialFormat = in.Text(stamp, "format", QStringLiteral("stamp.format")).value_or(QString());
        // A program's bytes are stamped as printed, in no format.
        const bool printed = stamp.contains(Key("command")) && setup.serialFormat.isEmpty();
        if (!in.Failed() && !printed && !ParseSerialLayout(setup.serialFormat)) in.Refuse(QStringLiteral("stamp.format"));
        setup.series = in.Text(stamp, "series", QStringLiteral("stamp.series"), true).value_or(QString());
        setup.serialStart = in.Whole(stamp, "start", QStringLiteral("stamp.start"), 0);
        setup.serialStep = in.Whole(stamp, "step", QStringLiteral("stamp.step"), 1);
        setup.serialKeep = in.Text(stamp, "keep", QStringLiteral("stamp.keep")).value_or(QString());
        if (!in.Failed() && !kSerialKeepWords.contains(setup.serialKeep))
            in.Refuse(QStringLiteral("stamp.keep"));
        if (const QJsonValue reuse = stamp.value(Key("reuseFailed")); !reuse.isUndefined()) {
            if (!reuse.isBool()) return in.Refuse(QStringLiteral("stamp.reuseFailed")), load;
            setup.serialReuseFailed = reuse.toBool();
        }
        setup.serialList = in.Text(stamp, "list", QStringLiteral("stamp.list"), true).value_or(QString());
        setup.serialCommand = in.Text(stamp, "command", QStringLiteral("stamp.command"), true).value_or(QString());
        // One source of values; a list's or a program's series has no counter to start.
        const bool source = !setup.serialList.isEmpty() || !setup.serialCommand.isEmpty();
        if (!setup.serialList.isEmpty() && !setup.serialCommand.isEmpty()) in.Refuse(QStringLiteral("stamp.command"));
        if (source && (setup.serialStart || setup.serialStep)) in.Refuse(QStringLiteral("stamp.start"));
        if (!setup.serialCommand.isEmpty() && SplitCommand(setup.serialCommand).isEmpty())
            in.Refuse(QStringLiteral("stamp.command"));
    }
    setup.calibrationAt = in.Text(root, "calibrationAt", Key("calibrationAt")).value_or(QString());
    if (!in.Failed() && !setup.calibrationAt.isEmpty() && !ParsePlace(setup.calibrationAt))
        in.Refuse(Key("calibrationAt"));
    setup.store = in.Text(root, "store", Key("store")).value_or(QString());
    if (const QJsonValue value = root.value(Key("ports")); !value.isUndefined()) {
        if (!value.isArray()) return in.Refuse(Key("ports")), load;
        const QJsonArray ports = value.toArray();
        for (qsizetype i = 0; i < ports.size(); ++i) {
            if (!ports.at(i).isString() || ports.at(i).toString().isEmpty())
                return in.Refuse(QStringLiteral("ports[%1]").arg(i)), load;
            setup.ports << ports.at(i).toString();
        }
    }
    return load;
}

std::optional<QString> SaveSetup(const BenchSetup& setup, const QString& path) {
    QJsonObject root = setup.kept;
    const bool newKind = !setup.serialAt.isEmpty() &&
                         (!setup.serialList.isEmpty() || !setup.serialCommand.isEmpty() || !setup.serialKeep.isEmpty());
    // Never lowered below what the file said: a later program's keys may need it.
    root.insert(Key("format"), std::max(root.value(Key("format")).toInt(1), newKind ? kSetupFormat : 1));
    root.insert(Key("code"), PinnedTo(setup.code, root.value(Key("code")).toObject()));
    SetOrRemove(root, "eeprom", bool(setup.eeprom),
                setup.eeprom ? PinnedTo(*setup.eeprom, root.value(Key("eeprom")).toObject()) : QJsonObject());
    root.insert(Key("programEeprom"), setup.programEeprom);
    SetOrRemove(root, "device", !setup.device.isEmpty(), setup.device);
    QJsonArray choices;
    const QJsonArray previous = root.value(Key("lockFuse")).toArray();
    for (const SetupChoice& choice : setup.lockFuse) {
        // An item's keys of a later program stay with it, also when the same field is saved again.
        QJsonObject item = choice.kept;
        for (const QJsonValue& old : previous)
            if (item.isEmpty() && old[Key("field")].toString() == choice.field) item = old.toObject();
        item.insert(Key("field"), choice.field);
        item.insert(Key("choice"), choice.choice);
        choices.append(item);
    }
    root.insert(Key("lockFuse"), choices);
    QJsonObject stamp = root.value(Key("stamp")).toObject();
    stamp.insert(Key("at"), setup.serialAt);
    SetOrRemove(stamp, "format", !setup.serialFormat.isEmpty(), setup.serialFormat);
    SetOrRemove(stamp, "list", !setup.serialList.isEmpty(), setup.serialList);
    SetOrRemove(stamp, "command", !setup.serialCommand.isEmpty(), setup.serialCommand);
    SetOrRemove(stamp, "series", !setup.series.isEmpty(), setup.series);
    SetOrRemove(stamp, "start", bool(setup.serialStart), double(setup.serialStart.value_or(0)));
    SetOrRemove(stamp, "step", bool(setup.serialStep), double(setup.serialStep.value_or(0)));
    SetOrRemove(stamp, "keep", !setup.serialKeep.isEmpty(), setup.serialKeep);
    SetOrRemove(stamp, "reuseFailed", setup.serialReuseFailed, true);
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

QString SetupFolderPath(const QString& setupPath) { return SetupFolder(setupPath).absolutePath(); }

QString StoredPath(const QString& setupPath, const QString& file) {
    if (ChipStore::IsServerLocation(file)) return file;
    return SetupFolder(setupPath).relativeFilePath(QFileInfo(file).absoluteFilePath());
}

QString FileSha256(const QString& path) { return core::FileSha256(path); }

QStringList ChangedFiles(const BenchSetup& setup, const QString& setupPath) {
    QStringList changed;
    QList<PinnedFile> files{setup.code};
    if (setup.eeprom && setup.programEeprom) files << *setup.eeprom;
    for (const PinnedFile& file : files) {
        const QString path = ResolvedPath(setupPath, file.path);
        // A file that is gone or is no regular file has not changed: the reader that takes it says what is
        // wrong with it, and refuses it whatever the user accepts.
        const core::BoundedRead read = core::ReadBoundedFile(path);
        if (!read.Ok()) continue;
        if (core::Sha256Hex(read.bytes) != file.sha256)
            changed << path;
    }
    return changed;
}

SetupArguments ArgumentsOf(const BenchSetup& setup, const QString& setupPath) {
    SetupArguments arguments;
    auto& options = arguments.options;
    const auto option = [&](const char* name, const QString& value) { options.append({Key(name), value}); };
    if (!setup.device.isEmpty()) option("device", setup.device);
    for (const QString& port : setup.ports) option("port", port);
    if (!setup.store.isEmpty()) option("db", ResolvedPath(setupPath, setup.store));
    if (!setup.serialAt.isEmpty()) {
        option("serial-at", setup.serialAt);
        if (!setup.serialFormat.isEmpty()) option("serial-format", setup.serialFormat);
        if (!setup.serialList.isEmpty()) option("serial-list", ResolvedPath(setupPath, setup.serialList));
        if (!setup.serialCommand.isEmpty()) option("serial-command", setup.serialCommand);
        if (setup.serialStart) option("serial-start", QString::number(*setup.serialStart));
        if (setup.serialStep) option("serial-step", QString::number(*setup.serialStep));
        if (!setup.series.isEmpty()) option("serial-series", setup.series);
        if (!setup.serialKeep.isEmpty())
            option(setup.serialKeep == QLatin1String("strict") ? "serial-keep-strict" : "serial-keep", QString());
        if (setup.serialReuseFailed) option("serial-reuse-failed", QString());
    }
    if (!setup.calibrationAt.isEmpty()) option("calibration-at", setup.calibrationAt);
    // Without this a program run would take an EEPROM file found beside the code file.
    if (!setup.programEeprom) option("no-eeprom", QString());
    for (const SetupChoice& choice : setup.lockFuse) option("fuse", choice.field + QLatin1Char('=') + choice.choice);
    arguments.files << ResolvedPath(setupPath, setup.code.path);
    if (setup.eeprom && setup.programEeprom) arguments.files << ResolvedPath(setupPath, setup.eeprom->path);
    return arguments;
}

QStringList CommandLines(const BenchSetup& setup, const QString& setupPath) {
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
