// The file commands against real files in a temporary folder, with the windows recorded:
// dialogs asked for, names kept, titles, notices, remembered folders, overwrite questions, and files
// that are rejected or cannot be saved without anything being lost.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "HexRecords.h"
#include "MemorySettings.h"
#include "RecordingUi.h"
#include "TestEnvironment.h"
#include "image/FileCommands.h"
#include "image/ImageTexts.h"

using namespace zendra::image;
using namespace zendra::test;
using zendra::core::DumpWindow;
using zendra::core::MessageAnswer;

namespace {

enum class Command { OpenPair, OpenCode, OpenData, Reload };

struct Session {
    RecordingUi ui;
    zendra::core::SharedState state;
    MemoryImages images;
    MemorySettings settings;
    FileDialogMemory dialog;
    FileContext ctx{ui, state, images, settings, dialog};
    explicit Session(const QString& scratch) {
        state.AppDir = state.ScratchDir = scratch;
        state.ProgramMemoryWords = 512;
        state.EepromBytes = 128;
    }
    void Run(Command command) {
        switch (command) {
            case Command::OpenPair: OpenCodeAndData(ctx); break;
            case Command::OpenCode: OpenCode(ctx); break;
            case Command::OpenData: OpenData(ctx); break;
            case Command::Reload: Reload(ctx); break;
        }
    }
    void Answer(const QString& path) { ui.fileAnswers.enqueue(path); }
    QString Setting(const char* key) const { return settings.values.value(QStringLiteral("Settings/") + key); }
};

QByteArray HexFile(int firstByte) {
    return Data(0, {firstByte, firstByte + 1}) + "\r\n" + kEnd + "\r\n";
}

void Put(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray Get(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

}  // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void namesAndFolders_data();
    void namesAndFolders();
    void openPair_data();
    void openPair();
    void openCode_data();
    void openCode();
    void openDataOpensEepOfChosenName();
    void cancelledOpenEndsQuietly();
    void reloadBeforeOpen();
    void reloadAfterDelete();
    void rejectedFileLosesNothing_data();
    void rejectedFileLosesNothing();
    void dataBeyondDeviceIsTold();
    void saveAs_data();
    void saveAs();
    void saveAsSingleFiles_data();
    void saveAsSingleFiles();
    void overwrite_data();
    void overwrite();
    void overwriteFailureIsNotReportedAsSaved();
    void rememberedFolderBeforeFirstOccurrence();

private:
    QString Path(const QString& name) const { return m_files->filePath(name); }
    TestEnvironment m_env;
    std::unique_ptr<QTemporaryDir> m_files;
    std::unique_ptr<Session> m_s;
};

void FileCommandsTest::init() {
    m_files = std::make_unique<QTemporaryDir>();
    m_s = std::make_unique<Session>(m_env.AppDir());
}

void FileCommandsTest::namesAndFolders_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("eepName");
    QTest::addColumn<QString>("parent");
    QTest::newRow("hex") << "/home/u/x.hex" << "/home/u/x.eep" << "/home/u";
    QTest::newRow("rom") << "/home/u/x.rom" << "/home/u/x.eep" << "/home/u";
    QTest::newRow("upper case") << "/d/X.HEX" << "/d/X.eep" << "/d";
    QTest::newRow("no extension") << "/d/prog" << "/d/peep" << "/d";
    QTest::newRow("name inside the folder name") << "/w/a.hex.old/a.hex" << "/w/a.hex.old/a.eep" << "/w";
    QTest::newRow("root folder") << "/x.hex" << "/x.eep" << "/";
    QTest::newRow("short name") << "ab" << "eep" << "";
}

void FileCommandsTest::namesAndFolders() {
    QFETCH(QString, path);
    QFETCH(QString, eepName);
    QFETCH(QString, parent);
    QCOMPARE(SetEepromFileExtension(path), eepName);
    QCOMPARE(ParentDirectory(path, QFileInfo(path).fileName()), parent);
}

void FileCommandsTest::openPair_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<bool>("eepPresent");
    QTest::newRow("x.rom with x.eep") << "x.rom" << true;
    QTest::newRow("X.HEX with X.eep") << "X.HEX" << true;
    QTest::newRow("x.hex without x.eep") << "x.hex" << false;
}

void FileCommandsTest::openPair() {
    QFETCH(QString, chosen);
    QFETCH(bool, eepPresent);
    auto& s = *m_s;
    const QString eepPath = SetEepromFileExtension(Path(chosen));
    Put(Path(chosen), HexFile(0x10));
    if (eepPresent) Put(eepPath, HexFile(0x50));
    s.settings.values["Settings/OPEN_DIR"] = "/start";
    s.dialog.FileName = "/earlier/used.hex";
    s.images.EepromImage[0] = 0x11;
    s.Answer(Path(chosen));
    s.Run(Command::OpenPair);

    const auto& request = s.ui.fileRequests.at(0);
    QCOMPARE(request.title, texts::kTitleOpenCodeAndData);
    QCOMPARE(request.filter, QStringLiteral("Hex File (*.hex *.rom);;All Files (*)"));
    QCOMPARE(request.defaultSuffix, QStringLiteral("hex"));
    QCOMPARE(request.presetName, QStringLiteral("/earlier/used.hex"));
    QCOMPARE(request.startDirectory, QStringLiteral("/start"));
    QCOMPARE(s.state.CodeFileName, Path(chosen));
    QCOMPARE(s.state.EepFileName, eepPath);
    QCOMPARE(s.ui.dumpTitles[DumpWindow::Program], "Program : " + Path(chosen));
    QCOMPARE(s.images.ProgramImage[0], quint8(0x11));  // word order swapped
    QCOMPARE(s.images.ProgramImage[1], quint8(0x10));
    QCOMPARE(s.ui.dumpTitles[DumpWindow::Eeprom],
             eepPresent ? "EEPROM : " + eepPath : QStringLiteral("EEPROM memory : Not found EEP file"));
    QCOMPARE(s.images.EepromImage[0], quint8(eepPresent ? 0x50 : 0xFF));
    QVERIFY(s.ui.dumpContents[DumpWindow::Eeprom].startsWith(eepPresent ? "0000: 50 51 FF" : "0000: FF FF FF"));
    QCOMPARE(s.ui.panels[1], texts::kOpened);
    QCOMPARE(s.Setting("OPEN_DIR"), m_files->path());
    QVERIFY(!s.ui.messageOpen);
}

void FileCommandsTest::openCode_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<bool>("create");
    QTest::addColumn<QString>("codeName");  // afterwards; "=" for the chosen path
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<bool>("box");
    QTest::newRow("c.hex") << "c.hex" << true << "=" << true << false;
    QTest::newRow("c.txt is refused") << "c.txt" << true << "" << false << true;
    QTest::newRow("missing file ends quietly") << "gone.hex" << false << "=" << false << false;
}

void FileCommandsTest::openCode() {
    QFETCH(QString, chosen);
    QFETCH(bool, create);
    QFETCH(QString, codeName);
    QFETCH(bool, loaded);
    QFETCH(bool, box);
    auto& s = *m_s;
    if (create) Put(Path(chosen), HexFile(0x20));
    s.state.EepFileName = "/keep/this.eep";
    s.Answer(Path(chosen));
    s.Run(Command::OpenCode);

    const auto& request = s.ui.fileRequests.at(0);
    QCOMPARE(request.title, texts::kTitleOpenCode);
    QCOMPARE(request.presetName, QString());
    QCOMPARE(s.state.CodeFileName, codeName == "=" ? Path(chosen) : codeName);
    QCOMPARE(s.state.EepFileName, QStringLiteral("/keep/this.eep"));
    QCOMPARE(s.images.ProgramImage[1], quint8(loaded ? 0x20 : 0xFF));
    QCOMPARE(s.ui.dumpTitles.value(DumpWindow::Program), loaded ? "Program : " + Path(chosen) : QString());
    QCOMPARE(s.Setting("OPEN_DIR"), loaded ? m_files->path() : QString());
    QCOMPARE(s.ui.boxes.size(), box ? 1 : 0);
    if (box) {
        QCOMPARE(s.ui.boxes[0].title, QStringLiteral("New Zendra Version 6.0.60"));
        QCOMPARE(s.ui.boxes[0].text, texts::kCannotOpen);
        QCOMPARE(s.ui.boxes[0].icon, zendra::core::MessageIcon::Information);
    }
    QVERIFY(s.ui.panels[1].isEmpty());
}

void FileCommandsTest::openDataOpensEepOfChosenName() {
    auto& s = *m_s;
    Put(Path("y.hex"), HexFile(0x01));
    Put(Path("y.eep"), HexFile(0x70));
    s.Answer(Path("y.hex"));
    s.Run(Command::OpenData);
    QCOMPARE(s.ui.fileRequests.at(0).title, texts::kTitleOpenData);
    QCOMPARE(s.ui.fileRequests.at(0).filter, QStringLiteral("eep File (*.eep);;All Files (*)"));
    QCOMPARE(s.state.EepFileName, Path("y.eep"));
    QCOMPARE(s.images.EepromImage[0], quint8(0x70));
    QCOMPARE(s.images.ProgramImage[0], quint8(0xFF));
    QCOMPARE(s.ui.dumpTitles[DumpWindow::Eeprom], "EEPROM : " + Path("y.eep"));
    QVERIFY(s.Setting("OPEN_DIR").isEmpty());
    QVERIFY(s.ui.panels[1].isEmpty());
}

void FileCommandsTest::cancelledOpenEndsQuietly() {
    auto& s = *m_s;
    s.state.CodeFileName = Path("old.hex");
    s.state.EepFileName = Path("old.eep");
    for (Command c : {Command::OpenPair, Command::OpenCode, Command::OpenData}) s.Run(c);
    QCOMPARE(s.ui.calls.size(), 3);
    QVERIFY(s.ui.calls.at(0).startsWith("open-dialog"));
    QCOMPARE(s.state.CodeFileName, Path("old.hex"));
    QCOMPARE(s.state.EepFileName, Path("old.eep"));
}

void FileCommandsTest::reloadBeforeOpen() {
    auto& s = *m_s;
    s.Run(Command::Reload);
    QVERIFY(s.ui.fileRequests.isEmpty());
    QCOMPARE(s.ui.CallsStartingWith("message"),
             QStringList{"message 1 " + texts::kReloadFileLabel + "?\r\n" + texts::kReloadNotSet});
    QVERIFY(!s.state.ReloadRequested);
}

void FileCommandsTest::reloadAfterDelete() {
    auto& s = *m_s;
    Put(Path("r.hex"), HexFile(0x30));
    Put(Path("r.eep"), HexFile(0x60));
    s.Answer(Path("r.hex"));
    s.Run(Command::OpenPair);
    s.images.ProgramImage[0x10] = 0x99;  // an edit: a reload drops it
    Put(Path("r.hex"), HexFile(0x40));
    s.Run(Command::Reload);
    QCOMPARE(s.images.ProgramImage[1], quint8(0x40));
    QCOMPARE(s.images.ProgramImage[0x10], quint8(0xFF));

    QVERIFY(QFile::remove(Path("r.hex")));
    s.ui.calls.clear();
    s.Run(Command::Reload);
    QCOMPARE(s.ui.CallsStartingWith("message"), QStringList{"message 1 " + texts::kCannotOpen});
    QCOMPARE(s.ui.dumpTitles[DumpWindow::Program], texts::kProgramNotFoundTitle);
    QCOMPARE(s.images.ProgramImage[1], quint8(0xFF));
    QCOMPARE(s.images.EepromImage[0], quint8(0x60));
    QVERIFY(s.state.CodeFileName.isEmpty());
    QVERIFY(s.ui.fileRequests.size() == 1);
}

void FileCommandsTest::rejectedFileLosesNothing_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<bool>("badCode");  // else the EEPROM file is the bad one
    QTest::addColumn<QString>("error");
    const QString code = QStringLiteral("HEX ファイルのオープンエラー (行 2)");
    const QString eep = QStringLiteral("EEP  ファイルのオープンエラー (行 2)");
    QTest::newRow("pair, bad code") << int(Command::OpenPair) << true << code;
    QTest::newRow("pair, bad EEPROM") << int(Command::OpenPair) << false << eep;
    QTest::newRow("code") << int(Command::OpenCode) << true << code;
    QTest::newRow("data") << int(Command::OpenData) << false << eep;
    QTest::newRow("reload, bad code") << int(Command::Reload) << true << code;
}

void FileCommandsTest::rejectedFileLosesNothing() {
    QFETCH(int, command);
    QFETCH(bool, badCode);
    QFETCH(QString, error);
    auto& s = *m_s;
    Put(Path("good.hex"), HexFile(0x10));
    Put(Path("good.eep"), HexFile(0x50));
    s.Answer(Path("good.hex"));
    s.Run(Command::OpenPair);
    s.images.ProgramImage[0x20] = 0x77;  // an edit that must survive
    const QByteArray bad = Data(0, {1, 2}) + "\r\n" + Record(0, 2, {3}, 1) + "\r\n";
    const QString other = command == int(Command::Reload) ? "good" : "new";
    Put(Path(other + ".hex"), badCode ? bad : HexFile(0x21));
    Put(Path(other + ".eep"), badCode ? HexFile(0x61) : bad);
    const MemoryImages before = s.images;
    const auto titles = s.ui.dumpTitles;
    const bool codeKept = badCode || command != int(Command::OpenPair);
    s.ui.calls.clear();
    if (command != int(Command::Reload)) s.Answer(Path(other + ".hex"));
    s.Run(Command(command));

    QCOMPARE(s.ui.panels[1], error);
    QCOMPARE(s.ui.CallsStartingWith("message"), QStringList{"message 1 " + error});
    QVERIFY(s.ui.CallsStartingWith("status 1 " + texts::kOpened).isEmpty());
    QVERIFY(s.images.EepromImage == before.EepromImage);
    QCOMPARE(s.state.EepFileName, Path("good.eep"));
    QCOMPARE(s.ui.dumpTitles[DumpWindow::Eeprom], titles[DumpWindow::Eeprom]);
    if (codeKept) {
        QVERIFY(s.images.ProgramImage == before.ProgramImage);
        QCOMPARE(s.state.CodeFileName, Path("good.hex"));
        QCOMPARE(s.ui.dumpTitles[DumpWindow::Program], titles[DumpWindow::Program]);
    } else {  // the sound code file of the new pair is taken, its EEPROM file is not
        QCOMPARE(s.images.ProgramImage[1], quint8(0x21));
        QCOMPARE(s.state.CodeFileName, Path("new.hex"));
    }
}

void FileCommandsTest::dataBeyondDeviceIsTold() {
    auto& s = *m_s;
    Put(Path("big.hex"), Data(0x3FC, {1, 2, 3, 4, 5, 6}) + "\r\n" + kEnd);
    Put(Path("big.eep"), Data(0x80, {1, 2, 3}) + "\r\n" + kEnd);
    s.Answer(Path("big.hex"));
    s.Run(Command::OpenPair);
    QCOMPARE(s.images.ProgramImage[0x400], quint8(6));  // loaded, outside the in-use range
    QCOMPARE(s.images.EepromImage[0x82], quint8(3));
    QCOMPARE(s.ui.panels[1], texts::kOpened);
    QCOMPARE(s.ui.CallsStartingWith("message"),
             QStringList{"message 1 " + texts::kCodeBeyondDevice.arg(2) + "\r\n" + texts::kEepromBeyondDevice.arg(3)});
}

void FileCommandsTest::saveAs_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("eepName");
    QTest::addColumn<bool>("existing");
    QTest::addColumn<bool>("confirm");
    QTest::newRow("new name") << "out.hex" << "out.eep" << false << true;
    QTest::newRow("existing, Cancel") << "out.hex" << "out.eep" << true << false;
    QTest::newRow("existing, OK") << "out.hex" << "out.eep" << true << true;
    QTest::newRow("typed without extension") << "prog" << "peep" << false << true;
}

void FileCommandsTest::saveAs() {
    QFETCH(QString, name);
    QFETCH(QString, eepName);
    QFETCH(bool, existing);
    QFETCH(bool, confirm);
    auto& s = *m_s;
    if (existing) {
        Put(Path(name), "old code");
        Put(Path(eepName), "old data");
    }
    s.state.CodeFileName = "/opened/a.hex";
    s.state.EepFileName = "/opened/a.eep";
    s.dialog.FileName = "/opened/a.hex";
    s.images.ProgramImage[0] = 0x12;
    s.images.EepromImage[0] = 0x34;
    s.Answer(Path(name));
    s.ui.boxAnswers.enqueue(confirm ? MessageAnswer::Ok : MessageAnswer::Cancel);
    SaveAsCodeAndData(s.ctx);

    const auto& request = s.ui.fileRequests.at(0);
    QCOMPARE(request.title, texts::kTitleSaveCodeAndData);
    QCOMPARE(request.filter, QStringLiteral("Hex File (*.HEX);;All Files (*)"));
    QCOMPARE(request.presetName, QStringLiteral("/opened/a.hex"));
    QCOMPARE(s.ui.boxes.size(), existing ? 1 : 0);
    if (existing) QCOMPARE(s.ui.boxes[0].text, texts::kOverwriteQuestion);
    const bool written = confirm;
    QCOMPARE(Get(Path(name)).startsWith(":10000000FF12"), written);
    QCOMPARE(Get(Path(eepName)).startsWith(":1000000034FF"), written);
    QCOMPARE(s.Setting("SAVE_DIR"), written ? m_files->path() : QString());
    QCOMPARE(s.state.CodeFileName, QStringLiteral("/opened/a.hex"));
    QCOMPARE(s.state.EepFileName, QStringLiteral("/opened/a.eep"));
    QVERIFY(s.ui.panels[1].isEmpty());
}

void FileCommandsTest::saveAsSingleFiles_data() {
    QTest::addColumn<bool>("code");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("untouched");
    QTest::newRow("code") << true << "c.hex" << "c.hex" << "c.eep";
    QTest::newRow("data from a hex name") << false << "d.hex" << "d.eep" << "d.hex";
}

void FileCommandsTest::saveAsSingleFiles() {
    QFETCH(bool, code);
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QFETCH(QString, untouched);
    auto& s = *m_s;
    s.Answer(Path(chosen));
    code ? SaveAsCode(s.ctx) : SaveAsData(s.ctx);
    const auto& request = s.ui.fileRequests.at(0);
    QCOMPARE(request.title, code ? texts::kTitleSaveCode : texts::kTitleSaveData);
    QCOMPARE(request.presetName, code ? QStringLiteral("*.hex") : QStringLiteral("*.eep"));
    QVERIFY(Get(Path(written)).endsWith(":00000001FF\r\n"));
    QVERIFY(!QFile::exists(Path(untouched)));
}

void FileCommandsTest::overwrite_data() {
    QTest::addColumn<QString>("before");  // what happens after opening x.hex/x.eep
    QTest::addColumn<bool>("question");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<bool>("written");
    QTest::newRow("nothing: no question") << "" << false << true << true;
    QTest::newRow("cleared, Cancel") << "clear" << true << false << false;
    QTest::newRow("cleared, OK") << "clear" << true << true << true;
    QTest::newRow("EEPROM cleared only") << "clear-eeprom" << true << false << false;
    QTest::newRow("file held data beyond the device") << "beyond" << true << false << false;
    QTest::newRow("saved once since clearing") << "clear-save" << false << true << true;
}

void FileCommandsTest::overwrite() {
    QFETCH(QString, before);
    QFETCH(bool, question);
    QFETCH(bool, confirm);
    QFETCH(bool, written);
    auto& s = *m_s;
    const QByteArray code = before == "beyond" ? Data(0x400, {1, 2}) + "\r\n" + kEnd : HexFile(0x10);
    Put(Path("x.hex"), code);
    Put(Path("x.eep"), HexFile(0x50));
    s.Answer(Path("x.hex"));
    s.Run(Command::OpenPair);
    if (before.startsWith("clear")) {
        if (before != "clear-eeprom") ClearProgramImage(s.images);
        ClearEepromImage(s.images);
    }
    if (before == "clear-save") SaveOverwrite(s.ctx);
    s.ui.boxes.clear();
    s.ui.panels[1].clear();
    s.ui.boxAnswers.enqueue(confirm ? MessageAnswer::Ok : MessageAnswer::Cancel);
    SaveOverwrite(s.ctx);

    QCOMPARE(s.ui.boxes.size(), question ? 1 : 0);
    if (question) {
        QCOMPARE(s.ui.boxes[0].title, texts::kSaveTitle);
        QCOMPARE(s.ui.boxes[0].text, texts::kOverwriteQuestion);
        QCOMPARE(s.ui.boxes[0].buttons, zendra::core::MessageButtons::OkCancel);
    }
    QCOMPARE(Get(Path("x.hex")) == code, !written);
    QCOMPARE(Get(Path("x.eep")) == HexFile(0x50), !written);
    QCOMPARE(s.ui.panels[1], written ? texts::kSaved : QString());
    if (written) QCOMPARE(Get(Path("x.hex")).count("\r\n"), 65);
}

void FileCommandsTest::overwriteFailureIsNotReportedAsSaved() {
    auto& s = *m_s;
    SaveOverwrite(s.ctx);  // nothing open
    QCOMPARE(s.ui.CallsStartingWith("message"), QStringList{"message 1 " + texts::kNoFileOpenNotice});
    QCOMPARE(s.ui.panels[1], texts::kNoFileOpenStatus);

    Put(Path("x.hex"), HexFile(0x10));
    s.Answer(Path("x.hex"));
    s.Run(Command::OpenPair);
    QVERIFY(QFile::remove(Path("x.hex")));
    QVERIFY(QDir(m_files->path()).mkpath("x.hex/sub"));  // something that cannot be replaced
    s.ui.panels[1].clear();
    SaveOverwrite(s.ctx);
    QCOMPARE(s.ui.boxes.size(), 1);
    QCOMPARE(s.ui.boxes[0].icon, zendra::core::MessageIcon::Critical);
    QCOMPARE(s.ui.boxes[0].text, texts::kSaveReadOnly);
    QVERIFY(QFileInfo(Path("x.hex/sub")).isDir());
    QVERIFY(Get(Path("x.eep")).endsWith(":00000001FF\r\n"));  // the other file is still saved
    QVERIFY(s.ui.panels[1].isEmpty());
}

void FileCommandsTest::rememberedFolderBeforeFirstOccurrence() {
    auto& s = *m_s;
    QVERIFY(QDir(m_files->path()).mkpath("a.hex.d"));
    const QString file = Path("a.hex.d/a.hex");
    Put(file, HexFile(0x10));
    s.Answer(file);
    s.Run(Command::OpenPair);
    QCOMPARE(s.Setting("OPEN_DIR"), m_files->path());
    s.Answer(file);
    s.ui.boxAnswers.enqueue(MessageAnswer::Ok);
    SaveAsCode(s.ctx);
    QCOMPARE(s.Setting("SAVE_DIR"), m_files->path());
    s.Answer(file);
    s.Run(Command::OpenPair);
    QCOMPARE(s.ui.fileRequests.last().startDirectory, m_files->path());
}

QTEST_GUILESS_MAIN(FileCommandsTest)
#include "tst_filecommands.moc"
