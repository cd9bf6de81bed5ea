// The main window driven like a user; one operation at a time, a refused command leaving no trace; and
// cancelling each phase against the in-process virtual writer.

#include <csignal>
#include <QMessageBox>
#include <QTableWidget>
#include <QMdiArea>
#include <QMenuBar>
#include <QScrollBar>
#include <QScrollArea>
#include <QClipboard>
#include <QScopeGuard>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QThread>
#include <QTextBlock>
#include <zlib.h>

#include "AppHarness.h"
#include "DeviceFacts.h"
#include "core/Language.h"
#include "devices/Encodings.h"
#include "image/Dumps.h"
#include "operations/OperationTexts.h"
#include "production/BenchSetup.h"
#include "shell/FrmDump.h"
#include "shell/FrmIndex.h"
#include "shell/FrmConfirm.h"
#include "shell/FrmLog.h"
#include "shell/DialogProduction.h"
#include "shell/YieldView.h"
#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QTreeWidget>
#include "shell/ShellTexts.h"

using namespace zendra;
using namespace zendra::test;
using core::DumpWindow;
using core::PanelControl;
using shell::Socket;
using Act = std::function<void(AppHarness&)>;

namespace {
const QString kBusy = "他の処理を実行中です。", kClosed = "<closed>";

struct Edit {  // an address typed key by key; with data, a write and the (low) byte's cell read back
    bool eeprom = false;
    QString typed, shown, message = kClosed, data = {}, back = {};
    int cell = 0;
};

Act Do(const char* name) {  // clicks the button, or triggers the menu item, of that name
    return [name](AppHarness& h) {
        auto* button = h.Main().findChild<QPushButton*>(name);
        button ? QTest::mouseClick(button, Qt::LeftButton) : h.Main().Action(name)->trigger();
    };
}
Act Choose(PanelControl control, int index) {
    return [=](AppHarness& h) { Pick(h.Panel().Panel(control), index); };
}
QString Dump(AppHarness& h, DumpWindow which) { return h.Main().Dump(which)->View()->toPlainText(); }
QString Hex(quint8 b) { return QString("%1").arg(b, 2, 16, QChar('0')).toUpper(); }

// Everything a command could change that a refused one must leave alone.
QString Trace(AppHarness& h) {
    QString t;
    const auto& image = h.app->Images();
    QDebug(&t) << h.port.Writes().size() << h.modals << h.fileRequests << h.boxes << h.Message()
               << h.app->State().CodeFileName << h.app->State().EepFileName << ProgramSetting("RecentFiles")
               << ProgramSetting("device") << h.Panel().txtData->text()
               << qHashBits(image.ProgramImage.data(), image.ProgramImage.size())
               << qHashBits(image.EepromImage.data(), image.EepromImage.size())
               << h.Main().DumpSubWindow(DumpWindow::Program)->geometry().size();
    for (auto* box : h.Panel().findChildren<QComboBox*>()) QDebug(&t) << box->currentText();
    return t;
}
}  // namespace

struct CancelAt {  // 中止 pressed once the message window shows `phase` with the bar at `step` or beyond
    const char* command;
    QString phase;
    int step = 0;
    bool burned = false;  // the chip holds the images first
};

// A drag onto the frame carrying `urls` (names relative to the test's file folder, or whole addresses).
struct Drop {
    QStringList urls;
    bool taken = false;   // the drag is accepted
    bool opened = false;  // the file is open afterwards, as "開く" with the same choice leaves it
    QString mark;         // the lock/fuse frame's mark of a file's choices, and CKSEL's choice beside it
};

const QByteArray kCodeHex = ":0400000012345678E8\r\n:00000001FF\r\n", kDataHex = ":020000000A0BE9\r\n:00000001FF\r\n";

// A verify list and a log as saved (the log's times fixed).
const QByteArray kVerifyList = "FLASH 0010: 1234 -> FFFF\r\nEEPROM 0003: 5A -> FF\r\n",
                 kLogList = "12:34:56  バッファーをクリアしました。\r\n12:34:56  指定されたファイルを開くことができませんでした。\r\n";

// The verify list or the log, saved or copied: the chooser's answer ("" cancels; relative to the test's
// folder), an existing file and the overwrite answer, and what lands where.
struct Listing {
    bool log = false;
    bool copy = false;
    QString answer = {};
    QByteArray existing = {};
    bool overwrite = true;
    QByteArray file = {};  // the file's bytes afterwards ("" none)
    QString box = {};      // the start of the box shown, if any
};

// A lock/fuse write that turns the reset pin into I/O, confirmed or cancelled, in either language.
struct Confirm {
    QString locale;
    bool write;
    QString title, buttons, row;  // the window as shown
};

Q_DECLARE_METATYPE(Confirm)
Q_DECLARE_METATYPE(Listing)
Q_DECLARE_METATYPE(CancelAt)
Q_DECLARE_METATYPE(Drop)
Q_DECLARE_METATYPE(Edit)
Q_DECLARE_METATYPE(Act)

class TestMainWindow : public QObject {
    Q_OBJECT
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<AppHarness> m_h;
    shell::SettingsPanel& Panel() { return m_h->Panel(); }
    shell::FrmMain& Main() { return m_h->Main(); }

    // Starts `operation` against a writer that never answers and runs `during` at its first wait. The
    // clock advances on the operation's thread; `during` runs on the windows' while the operation waits.
    void DuringOperation(const Act& operation, const std::function<void()>& during) {
        bool ran = false, offWindowsThread = false;
        m_h->app->Images().ProgramImage[4] = 0x42;  // a program of blank images sends nothing
        m_h->timing.onAdvance = [&] {
            if (std::exchange(ran, true)) return;
            // On the windows' thread the operation would freeze them for as long as it waits.
            offWindowsThread = QThread::currentThread() != Main().thread();
            QMetaObject::invokeMethod(&Main(), [&] {
                QVERIFY(m_h->app->Guard().IsBusy());
                during();
            }, offWindowsThread ? Qt::BlockingQueuedConnection : Qt::DirectConnection);
        };
        operation(*m_h);
        m_h->timing.onAdvance = nullptr;
        QVERIFY2(ran, "the operation never waited for the writer");
        QVERIFY(offWindowsThread);
        QVERIFY(!m_h->app->Guard().IsBusy());
    }

    // A fresh program, not yet started, whose writer is the in-process virtual writer.
    virtualwriter::WriterModel& OnVirtualWriter() {
        m_h.reset();
        m_h = std::make_unique<AppHarness>();
        m_h->UseVirtualWriter();
        return m_h->model;
    }

private Q_SLOTS:
    void initTestCase() { m_env = std::make_unique<TestEnvironment>(); }
    void init() {
        SetSettings({{"Index_Com_Flag", "1"}, {"ComNox", "1"}, {"device", "0"}});
        m_h = std::make_unique<AppHarness>();
        QVERIFY(m_h->Start(m_env->AppDir()));
    }
    void cleanup() { m_h.reset(); }

    void deviceProfiles_data() {
        QTest::addColumn<int>("index");  // in the selector
        for (int i = 0; i < kDeviceFacts.size(); ++i)
            QTest::newRow(qUtf8Printable(kDeviceFacts[i].name)) << i;
    }
    void deviceProfiles() {
        QFETCH(int, index);
        const DeviceFacts& d = kDeviceFacts[index];
        Pick(Panel().Combo_device, index == 12 ? 0 : 12);  // from another device, so every value changes
        Pick(Panel().Combo_device, index);
        QCOMPARE(Panel().Combo_device->currentText(), d.name);
        QCOMPARE(m_h->Message(), kClosed);  // filling the panel is no choice of the user: no warning
        QCOMPARE(Panel().Label3->text(), QString("ﾌﾟﾛｸﾞﾗﾑﾒﾓﾘ   :%1 word").arg(d.words));
        QCOMPARE(Panel().Label4->text(), QString("EEPROMﾃﾞｰﾀﾒﾓﾘ:%1 byte").arg(d.eeprom));
        QCOMPARE(ProgramSetting("device"), QString::number(index));
        const devices::Device* device = devices::DeviceAt(index);
        QCOMPARE(device->code, d.code);
        QStringList on;  // the lock/fuse frame: the device's fields filled, a Reset entry never warning
        for (int i = 0; i < int(PanelControl::LockBit); ++i)
            if (Panel().Panel(PanelControl(i))->isEnabled()) on << devices::ControlName(PanelControl(i));
        QCOMPARE(on.join(' '), d.active);
        QCOMPARE(QString::asprintf("%d%d%d%d%d", Panel().Combo_LockBit->isVisibleTo(&Panel()),
                                   Panel().cmdFuseRead->isEnabled(), Panel().cmdFuseWrite->isEnabled(),
                                   devices::ResetWarningApplies(device, 0), devices::ResetWarningApplies(device, 1)),
                 d.lrww + '0');
        QCOMPARE(Panel().Lbl_READCALIB->text(), d.calib);
        QCOMPARE(Dump(*m_h, DumpWindow::Program).count('\n'), d.words / 8);  // a line per 16 bytes
        QCOMPARE(Dump(*m_h, DumpWindow::Eeprom).count('\n'), d.eeprom / 16);
        shell::FrmIndex* drawing = m_h->app->IndexWindow();
        const QImage picture = drawing->grab().toImage();
        for (int s = 0; s < shell::kSocketCount; ++s) {  // the colour held and the colour drawn
            const QColor fill = Socket(s) == d.socket ? shell::kSocketSelected : shell::kSocketIdle;
            QCOMPARE(drawing->FillColour(Socket(s)), fill);
            QCOMPARE(picture.pixelColor(drawing->SocketRect(Socket(s)).center()), fill);
        }
    }

    void panelAndImagesReset_data() {
        QTest::addColumn<Act>("reset");
        QTest::addColumn<QString>("result");
        QTest::newRow("same device again")
            << Act([](AppHarness& h) { Pick(h.Panel().Combo_device, 2); }) << "";
        QTest::newRow("buffer clear") << Do("mnuPC_buffer_clear") << "バッファーをクリアしました。";
    }
    void panelAndImagesReset() {
        QFETCH(Act, reset);
        QFETCH(QString, result);
        Pick(Panel().Combo_device, 2);
        QComboBox* clock = Panel().Panel(PanelControl::CKSEL);
        const int defaultClock = clock->currentIndex();
        Pick(clock, 9);
        Pick(Panel().Combo_LockBit, 0);
        auto& image = m_h->app->Images();
        image.ProgramImage[0] = image.ProgramImage[65536] = image.EepromImage[2048] = 0x12;
        SetSettings({{"device", "3"}}, false);
        reset(*m_h);
        QCOMPARE(clock->currentIndex(), defaultClock);
        QCOMPARE(Panel().Combo_LockBit->currentText(), QString("プロテクトなし"));
        QVERIFY(Erased(image));
        QVERIFY(Dump(*m_h, DumpWindow::Program).startsWith("0000: FFFF"));
        QCOMPARE(ProgramSetting("device"), QString("2"));  // the selection is applied again
        QCOMPARE(m_h->Result(), result);
    }
    void bufferEdit_data() {
        QTest::addColumn<Edit>("e");
        const auto row = [](const char* tag, const Edit& e) { QTest::newRow(tag) << e; };
        const QString flash = "Flash アドレスが範囲を超えています．";
        // ATtiny12L: 512 words, 64 bytes.
        // clang-format off
        row("flash 200", {.typed = "200", .shown = "200", .message = flash});
        row("bad digit", {.typed = "1G", .shown = "1G", .message = "入力データに誤りがあります．"});
        row("word 5", {.typed = "10", .shown = "10", .data = "5", .back = "0005", .cell = 0x21});
        row("eeprom low byte",
            {.eeprom = true, .typed = "3", .shown = "3", .data = "1AB", .back = "AB", .cell = 3});
        // clang-format on
    }
    void bufferEdit() {
        QFETCH(Edit, e);
        (e.eeprom ? Panel().OptionEeprom : Panel().OptionProgram)->setChecked(true);
        Panel().txtAddress->clear();
        QTest::keyClicks(Panel().txtAddress, e.typed);
        QCOMPARE(Panel().txtAddress->text(), e.shown);
        QCOMPARE(m_h->Message(), e.message);  // checked at each keystroke, no button pressed
        if (e.data.isEmpty()) return;
        Panel().txtData->clear();
        QTest::keyClicks(Panel().txtData, e.data);
        QTest::mouseClick(Panel().CmdWrite, Qt::LeftButton);
        const auto& image = m_h->app->Images();
        const auto cell = [&] {
            return e.eeprom ? Hex(image.EepromImage[e.cell])
                            : Hex(image.ProgramImage[e.cell - 1]) + Hex(image.ProgramImage[e.cell]);
        };
        QCOMPARE(cell(), e.back);
        Panel().txtData->clear();
        QTest::mouseClick(Panel().CmdRead, Qt::LeftButton);
        QCOMPARE(Panel().txtData->text(), e.back);
        // Taken back and done again; only its dump's title marks the unsaved edit, and quitting asks.
        QMdiSubWindow* dump = Main().DumpSubWindow(e.eeprom ? DumpWindow::Eeprom : DumpWindow::Program);
        const QString title = dump->windowTitle();
        QVERIFY(title.startsWith('*') && !Main().windowTitle().startsWith('*'));
        Do("mnuEditUndo")(*m_h);
        QCOMPARE(cell(), QString(e.back.size(), 'F'));
        QCOMPARE('*' + dump->windowTitle(), title);
        Do("mnuEditRedo")(*m_h);
        QCOMPARE(cell(), e.back);
        QCOMPARE(dump->windowTitle(), title);
        auto answer = core::MessageAnswer::Cancel;
        QString asked;
        m_h->app->Ui().boxHook = [&](auto, auto&, const QString& text, auto) { return asked = text, answer; };
        Main().close();
        QCOMPARE(asked, shell::texts::kUnsavedQuitQuestion);
        QCOMPARE(m_h->ended, 0);
        answer = core::MessageAnswer::Ok;
        Main().close();
        QTRY_COMPARE(m_h->ended, 1);
    }

    // A verify against a blank chip: the differing cells marked in both dumps until their image changes, a
    // line of the verify window taking its dump to the cell, and the checksums of the used parts.
    void verifyDifferencesMarked() {
        OnVirtualWriter();
        QVERIFY(m_h->Start(m_env->AppDir()));
        auto& image = m_h->app->Images();
        image.ProgramImage[0x22] = 0x12, image.ProgramImage[0x23] = 0x34, image.EepromImage[5] = 0x5A;
        QTest::mouseClick(Panel().Cmd_btn_verify, Qt::LeftButton);
        shell::FrmDump *program = Main().Dump(DumpWindow::Program), *eeprom = Main().Dump(DumpWindow::Eeprom);
        const auto place = [](const QTextCursor& c) {  // line, column and length of a selection
            return QList<qsizetype>{c.blockNumber(), c.selectionStart() - c.block().position(), c.selectedText().size()};
        };
        QCOMPARE(program->View()->extraSelections().size(), 1);
        QCOMPARE(place(program->View()->extraSelections()[0].cursor), QList<qsizetype>({2, 11, 4}));
        QCOMPARE(program->LineTip(2), QString("PROGRAM Addr(word) = 0011  Original = 1234   NG = FFFF"));
        QCOMPARE(eeprom->LineTip(0), QString("EEPROM  Addr(byte) = 0005  Original = 5A   NG = FF"));
        const auto crc = [](const quint8* bytes, int count) {
            return QString("%1").arg(crc32(0, bytes, count), 8, 16, QChar('0')).toUpper();
        };
        QCOMPARE(Main().StatusPanel(6)->text(),
                 "CRC " + crc(image.ProgramImage.data(), 0x24) + '/' + crc(image.EepromImage.data(), 6));
        QPlainTextEdit* list = Main().Dump(DumpWindow::Verify)->View();
        list->setTextCursor(QTextCursor(list->document()->findBlockByNumber(6)));
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(place(eeprom->View()->textCursor()), QList<qsizetype>({0, 21, 2}));
        QCOMPARE(Main().MdiArea()->activeSubWindow(), Main().DumpSubWindow(DumpWindow::Eeprom));
        const QRect flashLine = list->cursorRect(QTextCursor(list->document()->findBlockByNumber(2)));
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, flashLine.center());
        QCOMPARE(place(program->View()->textCursor()), QList<qsizetype>({2, 11, 4}));
        Do("mnuPC_buffer_clear")(*m_h);  // a changed image takes its marks away
        QVERIFY(program->Marks().isEmpty() && program->LineTip(2).isEmpty());
        QCOMPARE(Main().StatusPanel(6)->text(), QString("CRC 00000000/00000000"));
    }

    // A stamp set in the production dialog goes onto the chip with the next program run; the status bar
    // shows the number after it and the history window lists the run. A store that cannot be opened
    // refuses a run before a byte goes out, a verify as well as a program run that needs a number.
    void productionStamp() {
        virtualwriter::WriterModel& model = OnVirtualWriter();
        QString store = m_env->Root() + "/windows.sqlite";
        m_h->answerModal = [&store](QDialog& dialog) {
            auto& d = dynamic_cast<shell::DialogProduction&>(dialog);
            d.fraStamp->setChecked(true);
            d.txtStampAddress->setText("0x3E");
            d.txtStart->setText("1040");
            d.txtStore->setText(store);
            d.accept();
        };
        QVERIFY(m_h->Start(m_env->AppDir()));
        QVERIFY(Main().StatusPanel(7)->isHidden());
        Main().Action("mnuProductionSetup")->trigger();
        QTRY_COMPARE(Main().StatusPanel(7)->text(), QString("次のシリアル番号 1040"));  // read off the windows' thread
        m_h->app->Images().ProgramImage[4] = 0x42;
        QTest::mouseClick(Panel().Cmd_btn_program, Qt::LeftButton);
        QCOMPARE(model.Chip().eeprom.mid(0x3E, 2), QByteArray("\x10\x04", 2));  // le16, the default
        QCOMPARE(Main().StatusPanel(7)->text(), QString("次のシリアル番号 1041"));
        Main().Action("mnuProductionHistory")->trigger();
        QTRY_VERIFY(Main().History()->lstHistory->topLevelItem(0));
        const QTreeWidgetItem* newest = Main().History()->lstHistory->topLevelItem(0);
        QCOMPARE(newest->text(5) + ' ' + newest->text(6), QString("1040 succeeded"));
        // Above the list, the summary of the chosen series and range; a range without the run empties both.
        shell::YieldView* yield = Main().History()->yield;
        QTRY_COMPARE(yield->lblSummary->text(), QString("チップ 1　合格 1　不合格 0　初回合格率 100.0%"));
        QCOMPARE(yield->cboSeries->count(), 2);  // all, "default"
        yield->dtFrom->setDate(QDate::currentDate().addDays(1));
        yield->dtTo->setDate(QDate::currentDate().addDays(1));
        yield->chkRange->setChecked(true);
        QTRY_COMPARE(yield->lblSummary->text(), QString("チップ 0　合格 0　不合格 0　初回合格率 0.0%"));
        QVERIFY(newest->isHidden());
        yield->chkRange->setChecked(false);

        store = "/dev/null/windows.sqlite";
        Main().Action("mnuProductionSetup")->trigger();
        model.TakeWireLog();
        QTest::mouseClick(Panel().Cmd_btn_program, Qt::LeftButton);
        QVERIFY(model.WireLog().isEmpty());
        QVERIFY2(m_h->Result().startsWith(operations::texts::kStoreRefusesStamp.chopped(2)), qPrintable(m_h->Result()));
        // A store named in the settings is a store asked for: a verify is not run without its record either.
        QTest::mouseClick(Panel().Cmd_btn_verify, Qt::LeftButton);
        QVERIFY(model.WireLog().isEmpty());
        QVERIFY2(m_h->Result().startsWith(operations::texts::kStoreRefusesRecord.chopped(2)), qPrintable(m_h->Result()));

        // A store URL with a password is refused where it would be kept, naming libpq's own place for it.
        QString refusal;
        m_h->answerModal = [&refusal](QDialog& dialog) {
            auto& d = dynamic_cast<shell::DialogProduction&>(dialog);
            d.txtStore->setText("postgresql://u:secret@h/d"), d.accept(), refusal = d.lblProblem->text();
        };
        Main().Action("mnuProductionSetup")->trigger();
        QVERIFY2(refusal.contains("~/.pgpass") && !refusal.contains("secret"), qPrintable(refusal));
        QCOMPARE(ProgramSettings().value("Production/ChipStore").toString(), store);
    }

    // A program of the workshop's own gives the stamp's bytes: asked for once on this bench, its value goes
    // onto the chip, and the same value again is refused before a byte goes out.
    void productionGenerator() {
        virtualwriter::WriterModel& model = OnVirtualWriter();
        m_h->answerModal = [this](QDialog& dialog) {
            auto& d = dynamic_cast<shell::DialogProduction&>(dialog);
            d.fraStamp->setChecked(true);
            d.txtStampAddress->setText("0x3E");
            d.cboStampSource->setCurrentIndex(2);
            d.txtCommand->setText("echo C0 DE");
            d.txtStore->setText(m_env->Root() + "/generated.sqlite");
            d.accept();
        };
        QVERIFY(m_h->Start(m_env->AppDir()));
        Main().Action("mnuProductionSetup")->trigger();
        m_h->app->Images().ProgramImage[4] = 0x42;
        for (int run = 0; run < 2; ++run) QTest::mouseClick(Panel().Cmd_btn_program, Qt::LeftButton);
        QCOMPARE(model.Chip().eeprom.mid(0x3E, 2), QByteArray("\xC0\xDE", 2));
        QCOMPARE(m_h->boxes.filter("echo C0 DE").size(), 1);
        QVERIFY2(m_h->Result().startsWith(core::Compose(operations::texts::kValueIssued, {"echo C0 DE", "C0DE"})),
                 qPrintable(m_h->Result()));
    }

    // With "変更時に自動プログラム" on, a rename over the open file reloads and programs it; with unsaved
    // edits the reload asks first, and a refusal keeps them.
    void programWhenFilesChange() {
        QTemporaryDir dir;
        const QString hex = WriteFile(dir.filePath("w.hex"), kCodeHex);
        Main().onFileDropped(hex);
        Main().Action("mnuFileWatch")->trigger();
        const auto rewrite = [&](const QByteArray& bytes) {
            QVERIFY(QFile::remove(WriteFile(hex + ".tmp", bytes).chopped(4)) && QFile::rename(hex + ".tmp", hex));
        };
        auto& image = m_h->app->Images();
        rewrite(":040000009934567861\r\n:00000001FF\r\n");
        QTRY_COMPARE(image.ProgramImage[1], quint8(0x99));
        QTRY_VERIFY(!m_h->port.Writes().isEmpty());  // the program run went to the writer
        Panel().txtData->setText("77");
        QTest::mouseClick(Panel().CmdWrite, Qt::LeftButton);
        m_h->app->Ui().boxHook = [](auto...) { return core::MessageAnswer::Cancel; };
        rewrite(kCodeHex);
        QTest::qWait(600);
        QCOMPARE(image.ProgramImage[1], quint8(0x77));
    }

    void onlyOneOperationAtATime_data() {
        QTest::addColumn<Act>("operation");
        QTest::addColumn<Act>("attempt");
        QTest::addColumn<bool>("refused");
        const Act program = Do("Cmd_btn_program"), fuseRead = Do("cmdFuseRead");
        QTest::newRow("writer command") << program << Do("Cmd_btn_verify") << true;
        QTest::newRow("port dialog") << program << Do("Cmd_btn_comselect") << true;
        QTest::newRow("update dialog") << fuseRead << Do("mnuFirmwareUpdate") << true;
        QTest::newRow("device selector")
            << Do("Cmd_btn_read") << Act([](AppHarness& h) { Pick(h.Panel().Combo_device, 8); }) << true;
        QTest::newRow("file command") << program << Do("Cmd_btn_open") << true;
        QTest::newRow("file dropped")
            << program << Act([](AppHarness& h) { h.Main().onFileDropped(h.ScratchFile("a.hex")); }) << true;
        QTest::newRow("buffer clear") << Do("Cmd_btn_verify") << Do("mnuPC_buffer_clear") << true;
        QTest::newRow("buffer write") << program << Do("CmdWrite") << true;
        QTest::newRow("lock choice") << fuseRead << Choose(PanelControl::LockBit, 0) << true;
        QTest::newRow("reset pin choice") << program << Choose(PanelControl::RSTDISABL, 0) << true;
        QTest::newRow("buffer read runs") << program << Do("CmdRead") << false;
        QTest::newRow("window layout runs") << program << Do("mmuWindowReDrow") << false;
    }
    void onlyOneOperationAtATime() {
        QFETCH(Act, operation);
        QFETCH(Act, attempt);
        QFETCH(bool, refused);
        Panel().txtAddress->setText("0");
        m_h->app->Images().ProgramImage[4] = 0x42;
        DuringOperation(operation, [&] {
            Panel().txtData->setText("1234");
            Main().StatusPanel(1)->clear();
            const QString before = Trace(*m_h);
            attempt(*m_h);
            QCOMPARE(m_h->Result(), refused ? kBusy : QString());
            QCOMPARE(Trace(*m_h) == before, refused);
        });
    }
    // Nothing loaded: the program is refused before anything reaches the writer, so nothing is erased.
    void programWithBlankImagesSendsNothing() {
        Do("Cmd_btn_program")(*m_h);
        QVERIFY(m_h->port.Writes().isEmpty());
        QCOMPARE(m_h->Result(), QString("全てのメモリは消去されました。"));
        QCOMPARE(m_h->Message(), QString("全てのメモリは消去されました。"));
    }
    // Each way out ends the windows as Exit does: scratch files gone, the port closed, the place stored. A
    // close during an operation waits for its end; a logout or a stop is not kept up by a box in the way.
    void endingsAsExit_data() {
        QTest::addColumn<Act>("closing");
        QTest::addColumn<bool>("running");  // during an operation
        QTest::newRow("close box while running") << Act([](AppHarness& h) { h.Main().close(); }) << true;
        QTest::newRow("exit item while running") << Do("mnuFileExit") << true;
        QTest::newRow("SIGTERM") << Act([](AppHarness&) { ::raise(SIGTERM); }) << false;
        QTest::newRow("SIGHUP over an open box") << Act([](AppHarness& h) {
            auto* box = new QMessageBox(&h.Main());
            box->setModal(true);
            box->show();
            ::raise(SIGHUP);
        }) << false;
    }
    void endingsAsExit() {
        QFETCH(Act, closing);
        QFETCH(bool, running);
        const QString dump = m_h->ScratchFile(image::kProgramDumpFile);
        QVERIFY(QFile::exists(dump));
        qsizetype writesAtClose = -1;
        if (running) {
            DuringOperation(Do("Cmd_btn_program"), [&] {
                closing(*m_h);
                QCOMPARE(m_h->Result(), QString("処理の終了を待っています。"));
                QVERIFY(Main().isVisible() && QFile::exists(dump));
                QCOMPARE(m_h->ended, 0);
                writesAtClose = m_h->port.Writes().size();
            });
            QVERIFY(m_h->port.Writes().size() > writesAtClose);  // the operation ran to its own end
        } else {
            closing(*m_h);
        }
        QTRY_COMPARE(m_h->ended, 1);
        QVERIFY(!Main().isVisible() && !QFile::exists(dump) && !m_h->port.IsOpen());
        QVERIFY(ProgramSetting("MainLeft") != "<absent>");
    }

    // At its default size every control of the settings window shows whole, with no scroll bar: as the
    // start-up leaves it, and after the layout command.
    void settingsWindowShowsEverything_data() {
        QTest::addColumn<bool>("layoutCommand");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("fileChoices");  // an ELF file's lock/fuse choices shown, with their mark
        QTest::addColumn<bool>("stamp");        // the next serial number's panel shown too
        for (const char* locale : {"ja_JP", "en_US"}) {
            QTest::addRow("start-up, %s", locale) << false << QString(locale) << false << false;
            QTest::addRow("layout command, %s", locale) << true << QString(locale) << false << false;
            QTest::addRow("ELF file opened, %s", locale) << false << QString(locale) << true << false;
            QTest::addRow("serial stamp set, %s", locale) << false << QString(locale) << false << true;
        }
    }
    void settingsWindowShowsEverything() {
        if (!qFuzzyCompare(shell::LogicalDpi(&Main()), 96.0)) QSKIP("the layout rule is stated for 96 DPI");
        QFETCH(bool, layoutCommand);
        QFETCH(QString, locale);
        QFETCH(bool, fileChoices);
        QFETCH(bool, stamp);
        m_h.reset();
        m_h = std::make_unique<AppHarness>();
        m_h->locale = locale;
        ProgramSettings().setValue("Production/StampAt", stamp ? "eeprom:0x3E" : "");
        ProgramSettings().setValue("Production/StampFormat", "le32");
        ProgramSettings().setValue("Production/StampStart", "4294967295");
        ProgramSettings().setValue("Production/ChipStore", m_env->Root() + "/layout.sqlite");
        QVERIFY(m_h->Start(m_env->AppDir()));
        QTRY_COMPARE(!Main().StatusPanel(7)->isHidden(), stamp);
        Main().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Main()));
        QCOMPARE(Main().StatusPanel(7)->isVisible(), stamp);
        if (layoutCommand) Main().Action("mmuOpenSettingWindow")->trigger();
        if (fileChoices) Main().onFileDropped(ZENDRA_SOURCE_DIR "/tests/image/data/tn26.elf");
        QVERIFY(Panel().Lbl_FILECHOICES->isVisible() == fileChoices);
        QCoreApplication::processEvents();
        auto* scroll = Main().findChild<QScrollArea*>("SettingScroll");
        QVERIFY(scroll);
        QVERIFY(!scroll->horizontalScrollBar()->isVisible());
        QVERIFY(!scroll->verticalScrollBar()->isVisible());
        const QRect shown = scroll->viewport()->rect();
        int checked = 0;
        for (QWidget* control : Panel().findChildren<QWidget*>()) {
            if (!control->isVisible() || (!qobject_cast<QAbstractButton*>(control) && !qobject_cast<QComboBox*>(control) &&
                                          !qobject_cast<QLineEdit*>(control) && !qobject_cast<QLabel*>(control)))
                continue;
            // Inside, and clear of the edge by the panel's own margin.
            const QRect place(control->mapTo(scroll->viewport(), QPoint(0, 0)), control->size());
            QVERIFY2(shown.adjusted(2, 2, -2, -2).contains(place), qPrintable(control->objectName()));
            ++checked;
        }
        QVERIFY(checked > 20);
        // The frame at its default size shows the whole settings window, and status panel 1 its longest
        // texts.
        auto* area = Main().findChild<QMdiArea*>("MDIClient");
        const QRect settings = Main().SettingWindow()->geometry();
        QVERIFY(settings.right() < area->contentsRect().width());
        // A screen lower than the settings window leaves the frame as high as the screen.
        QVERIFY(settings.bottom() < area->contentsRect().height() ||
                Main().geometry().bottom() == Main().screen()->availableGeometry().bottom());
        QLabel* panel = Main().StatusPanel(1);
        for (const QString* text : shell::texts::kLongestResults)  // as shown in the window's language
            QVERIFY2(panel->contentsRect().width() - panel->fontMetrics().horizontalAdvance('x') >=
                         panel->fontMetrics().horizontalAdvance(core::Translate(*text)),
                     qPrintable(*text));
    }
    // In either language no two items of one menu, of the bar or of the button bar share an access key; each
    // shortcut is one item's, none is taken by another action of the frame (the child windows' own Ctrl+F4
    // and the like), and none is an Alt+letter that an access key uses.
    void keysDoNotClash() {
        const auto japanese = qScopeGuard([this] { Main().Action("mnuLanguageJa")->trigger(); });
        for (const char* language : {"mnuLanguageJa", "mnuLanguageEn"}) {
            Main().Action(language)->trigger();
            QHash<QKeySequence, QAction*> owners;
            QList<QStringList> groups{{}};
            for (QAction* item : Main().menuBar()->actions()) groups[0] << item->text();
            for (QMenu* menu : Main().menuBar()->findChildren<QMenu*>()) {
                QStringList captions;
                for (QAction* item : menu->actions()) {
                    captions << item->text();
                    for (const QKeySequence& keys : item->shortcuts()) {
                        QVERIFY2(owners.value(keys, item) == item, qPrintable(keys.toString()));
                        owners.insert(keys, item);
                        QVERIFY(keys[0].keyboardModifiers() != Qt::AltModifier);
                    }
                }
                groups << captions;
            }
            QCOMPARE(owners.size(), 9);
            for (QAction* action : Main().findChildren<QAction*>())
                for (const QKeySequence& keys : action->shortcuts())
                    QVERIFY2(owners.value(keys, action) == action, qPrintable(keys.toString()));
            QStringList buttons;
            for (QPushButton* button : Panel().findChildren<QPushButton*>(Qt::FindDirectChildrenOnly))
                buttons << button->text();
            groups << buttons;
            for (const QStringList& captions : groups) {
                QHash<QKeySequence, QString> taken;
                for (const QString& caption : captions) {
                    const QKeySequence key = QKeySequence::mnemonic(caption);
                    if (key.isEmpty()) continue;
                    QVERIFY2(!taken.contains(key), qPrintable(taken.value(key) + " / " + caption));
                    taken.insert(key, caption);
                }
            }
        }
    }

    void dropFile_data() {
        QTest::addColumn<Drop>("d");
        const auto row = [](const char* tag, const Drop& d) { QTest::newRow(tag) << d; };
        row("hex with its eep", {.urls = {"a.hex"}, .taken = true, .opened = true});
        row("rom without eep", {.urls = {"b.rom"}, .taken = true, .opened = true});
        row("ELF: its lock/fuse choices, marked", {.urls = {"tn12.elf"}, .taken = true, .opened = true,
                                                   .mark = "ファイルの設定 (未書き込み): tn12.elf|0010"});
        row("S-record", {.urls = {"c.srec"}, .taken = true, .opened = true});
        row("binary", {.urls = {"e.bin"}, .taken = true, .opened = true});
        row("text file refused as the open refuses it", {.urls = {"d.txt"}, .taken = true});
        row("two files", {.urls = {"a.hex", "b.rom"}});
        row("a folder", {.urls = {"sub"}});
        row("a remote address", {.urls = {"https://www.example.com/a.hex"}});
    }
    void dropFile() {
        QFETCH(Drop, d);
        QTemporaryDir dir;
        for (const char* name : {"a.hex", "b.rom", "d.txt", "e.bin"}) WriteFile(dir.filePath(name), kCodeHex);
        WriteFile(dir.filePath("c.srec"), "S1050000940C5A\nS9030000FC\n");
        QVERIFY(QFile::copy(ZENDRA_SOURCE_DIR "/tests/image/data/tn12.elf", dir.filePath("tn12.elf")));
        WriteFile(dir.filePath("a.eep"), kDataHex);
        QDir(dir.path()).mkdir("sub");
        QList<QUrl> urls;
        for (const QString& u : d.urls) urls << (u.contains(':') ? QUrl(u) : QUrl::fromLocalFile(dir.filePath(u)));
        const QString untouched = Trace(*m_h) + m_h->Result();
        QMimeData mime;
        mime.setUrls(urls);
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        enter.setAccepted(false);
        QCoreApplication::sendEvent(&Main(), &enter);
        QCOMPARE(enter.isAccepted(), d.taken);
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&Main(), &drop);
        QCOMPARE(m_h->fileRequests, 0);  // no chooser shown
        if (!d.taken) {
            QCOMPARE(Trace(*m_h) + m_h->Result(), untouched);
            return;
        }
        QCOMPARE(m_h->app->State().CodeFileName == urls[0].toLocalFile(), d.opened);
        QCOMPARE(m_h->Result() == "ファイルをオープンしました。", d.opened);
        QCOMPARE(!Erased(m_h->app->Images()), d.opened);
        QCOMPARE(ProgramSetting("RecentFiles"), d.opened ? urls[0].toLocalFile() : QString("<absent>"));
        const QLabel* mark = Panel().Lbl_FILECHOICES;
        QCOMPARE(mark->isHidden() ? QString() : mark->text() + "|" + Panel().Panel(PanelControl::CKSEL)->currentText().left(4), d.mark);
    }

    void recentFiles() {
        QTemporaryDir dir;
        QStringList paths;
        for (int i = 0; i < 10; ++i) {
            paths << WriteFile(dir.filePath(QString("f%1.hex").arg(i)), kCodeHex);
        }
        const auto shown = [this] {
            QStringList items;
            for (QAction* a : Main().RecentMenu()->actions()) items << (a->isEnabled() ? a->data().toString() : a->text());
            return items;
        };
        QCOMPARE(shown(), QStringList{"(なし)"});
        for (const QString& path : paths) Main().onFileDropped(path);
        QStringList newest{paths.rbegin(), paths.rbegin() + 8};
        QCOMPARE(shown(), newest);  // the last 8, newest first
        QCOMPARE(Main().RecentMenu()->actions().first()->text(), "&1 " + paths[9]);
        QCOMPARE(ProgramSetting("RecentFiles"), newest.join('\n'));

        Main().onFileDropped(paths[5]);  // opened again: to the top, once
        newest.removeAll(paths[5]), newest.prepend(paths[5]);
        QCOMPARE(shown(), newest);
        QFile::remove(paths[9]);
        Main().onFileDropped(paths[9]);  // refused: the list stays
        QCOMPARE(shown(), newest);

        // The next run shows the stored list; picking an item opens it as the open does.
        m_h.reset();
        m_h = std::make_unique<AppHarness>();
        QVERIFY(m_h->Start(m_env->AppDir()));
        QCOMPARE(shown(), newest);
        Main().RecentMenu()->actions()[3]->trigger();
        QCOMPARE(m_h->app->State().CodeFileName, newest[3]);
        QCOMPARE(m_h->Result(), QString("ファイルをオープンしました。"));
        QCOMPARE(shown().first(), newest[3]);
        Main().RecentMenu()->actions()[shown().indexOf(paths[9])]->trigger();  // gone since: refused
        QCOMPARE(m_h->Message(), QString("指定されたファイルを開くことができませんでした。"));
        QCOMPARE(m_h->fileRequests, 0);

        // What the windows hold with the production dialog's stamp, saved as a setup, is the command line's
        // job, shown in the dialog as one line; the setup heads the list and, picked after another file with
        // the stamp cleared, brings its file, its stamp and its name in the dumps' titles back.
        const QString setup = dir.filePath("job.zendra");
        m_h->app->Ui().fileHook = [&](auto&, bool) { return std::optional<QString>(setup); };
        bool stamp = true;
        QString shownLine;
        m_h->answerModal = [&](QDialog& dialog) {
            auto& d = dynamic_cast<shell::DialogProduction&>(dialog);
            d.fraStamp->setChecked(stamp), d.txtStampAddress->setText("0x3E"), d.txtStart->setText("1040");
            shownLine = d.txtCommandLine->text();
            d.accept();
        };
        Pick(Panel().Combo_device, *devices::FindDevice("ATtiny12L"));
        Main().onFileDropped(paths[2]);
        Main().Action("mnuProductionSetup")->trigger();
        Main().Action("mnuFileSaveSetup")->trigger();
        const QStringList lines = production::CommandLines(production::LoadSetup(setup).setup, setup);
        QCOMPARE(lines.value(0), "zendra-cli --device ATtiny12L --port COM1 --serial-at eeprom:0x3E --serial-format le16 "
                                 "--serial-start 1040 --serial-step 1 --serial-series default --no-eeprom program " + paths[2]);
        QVERIFY2(lines.value(1).startsWith("zendra-cli --device ATtiny12L --port COM1 fuse write CKSEL=0010 BODEN=Disable"), qPrintable(lines.value(1)));
        QCOMPARE(shownLine, lines.join(" && "));
        stamp = false;
        Main().Action("mnuProductionSetup")->trigger();
        QTRY_VERIFY(Main().StatusPanel(7)->isHidden());
        Main().onFileDropped(paths[4]);
        Main().RecentMenu()->actions()[1]->trigger();
        QCOMPARE(m_h->app->State().CodeFileName, paths[2]);
        QVERIFY(Main().DumpSubWindow(DumpWindow::Program)->windowTitle().endsWith(" - job"));
        QTRY_COMPARE(Main().StatusPanel(7)->text(), QString("次のシリアル番号 1040"));
    }

    void listings_data() {
        QTest::addColumn<Listing>("l");
        const auto row = [](const char* tag, const Listing& l) { QTest::newRow(tag) << l; };
        // clang-format off
        row("verify list saved", {.answer = "v.txt", .file = kVerifyList});
        row("log saved", {.log = true, .answer = "log.txt", .file = kLogList});
        row("chooser cancelled", {.answer = ""});
        row("existing file overwritten", {.answer = "v.txt", .existing = "old", .file = kVerifyList, .box = "ファイル保存|ファイルが存在します。"});
        row("overwrite declined", {.answer = "v.txt", .existing = "old", .overwrite = false, .file = "old", .box = "ファイル保存|"});
        row("folder missing", {.answer = "no/such/v.txt", .box = "Zendra|ファイル " });
        row("verify list copied", {.copy = true});
        // clang-format on
    }
    void listings() {
        QFETCH(Listing, l);
        QTemporaryDir dir;
        m_h->app->Ui().LoadDumpView(DumpWindow::Verify, WriteFile(dir.filePath("list.txt"), kVerifyList));
        m_h->app->Ui().ShowVerifyWindow();
        m_h->app->Ui().logTime = [] { return QString("12:34:56"); };
        Main().Log()->View()->clear();  // whatever the start-up said
        Main().Action("mnuPC_buffer_clear")->trigger();
        m_h->app->State().CodeFileName = dir.filePath("gone.hex");
        Do("Cmd_btn_reload")(*m_h);
        QCOMPARE(m_h->Message(), QString("指定されたファイルを開くことができませんでした。"));
        Main().Action("mmuOpenLogWindow")->trigger();
        QVERIFY(Main().LogWindow()->isVisible());

        const QString target = dir.filePath(l.answer);
        if (!l.existing.isEmpty()) WriteFile(target, l.existing);
        QString asked;
        m_h->app->Ui().fileHook = [&](const core::FileDialogRequest& r, bool save) {
            asked = r.presetName + (save ? " save" : " open");
            return std::optional<QString>(l.answer.isEmpty() ? QString() : target);
        };
        m_h->app->Ui().boxHook = [&](auto, const QString& title, const QString& text, auto) {
            m_h->boxes << title + '|' + text;
            return l.overwrite ? core::MessageAnswer::Ok : core::MessageAnswer::Cancel;
        };
        QGuiApplication::clipboard()->clear();
        shell::ListButtons* buttons = l.log ? Main().Log()->Buttons() : Main().Dump(DumpWindow::Verify)->Buttons();
        QTest::mouseClick(l.copy ? buttons->cmdCopyList : buttons->cmdSaveList, Qt::LeftButton);
        if (l.copy) {  // the same lines, ended the clipboard's way
            QCOMPARE(QGuiApplication::clipboard()->text(),
                     QString::fromUtf8(l.log ? kLogList : kVerifyList).remove('\r'));
            QCOMPARE(asked, QString());
            return;
        }
        QCOMPARE(asked, QString(l.log ? "zendra-log.txt save" : "verify.txt save"));
        QFile saved(target);
        QCOMPARE(saved.open(QIODevice::ReadOnly) ? saved.readAll() : QByteArray(), l.file);
        QCOMPARE(m_h->boxes.isEmpty(), l.box.isEmpty());
        if (!l.box.isEmpty()) QVERIFY2(m_h->boxes.last().startsWith(l.box), qPrintable(m_h->boxes.last()));
    }

    // The confirmation comes before any write command; Cancel (the default) writes nothing, and the read
    // before the write leaves the panel alone. A written change goes to the log and "元に戻す" restores it.
    void lockFuseConfirmation_data() {
        QTest::addColumn<Confirm>("c");
        const Confirm ja{"ja_JP", false, "Lock/Fuse ライトの確認", "ライト キャンセル", "⚠ RSTDISBL PB5:Reset PB5:I/O"};
        Confirm en{"en_US", true, "Confirm lock/fuse write", "Write Cancel", ja.row};
        QTest::newRow("Japanese, cancelled") << ja;
        QTest::newRow("English, written") << en;
    }
    void lockFuseConfirmation() {
        QFETCH(Confirm, c);
        virtualwriter::WriterModel& model = OnVirtualWriter();
        m_h->locale = c.locale;
        QString shown;
        const auto written = [&] {  // the host's bytes hold a fuse or lock write command
            QByteArray host;
            for (const auto& entry : model.WireLog()) host += entry.fromHost ? entry.bytes : QByteArray();
            return host.contains("Pu") || host.contains("Pl");
        };
        m_h->answerModal = [&](QDialog& dialog) {
            auto* confirm = qobject_cast<shell::FrmConfirm*>(&dialog);
            QVERIFY(confirm && confirm->Command_cancel->isDefault() && !written());
            QStringList row;
            for (int col = 0; col < 3; ++col) row << confirm->Changes->item(0, col)->text();
            shown = QStringList{confirm->windowTitle(), confirm->Command_write->text() + ' ' +
                                confirm->Command_cancel->text(), row.join(' ')}.join('|');
            (c.write ? confirm->Command_write : confirm->Command_cancel)->click();
        };
        QVERIFY(m_h->Start(m_env->AppDir()));
        const quint8 fuse = model.Chip().fuseLow;
        Choose(PanelControl::RSTDISABL, 0)(*m_h);
        const QString notice = m_h->Message(), calibration = Panel().Lbl_READCALIB->text();
        Do("cmdFuseWrite")(*m_h);
        QCOMPARE(shown, QStringList({c.title, c.buttons, c.row}).join('|'));
        QCOMPARE(model.Chip().fuseLow, c.write ? quint8(fuse & ~0x10) : fuse);
        QCOMPARE(written(), c.write);
        QCOMPARE(Panel().Panel(PanelControl::RSTDISABL)->currentIndex(), 0);
        QCOMPARE(Panel().Lbl_READCALIB->text(), calibration);
        QCOMPARE(Main().Log()->Text().count(notice), 1);  // the selection's notice, not raised again
        QCOMPARE(Main().Log()->Text().contains("Lock/Fuse: fuse=D2 lock=FF -> fuse=C2 lock=FF"), c.write);
        QCOMPARE(Main().Action("mnuUndoLockFuse")->isEnabled(), c.write);
        if (!c.write) return;
        Do("mnuUndoLockFuse")(*m_h);  // the reset pin back as reset is ordinary: nothing to confirm
        QCOMPARE(model.Chip().fuseLow, fuse);
        QCOMPARE(Panel().Panel(PanelControl::RSTDISABL)->currentIndex(), 1);
    }

    // Program with a setup open runs the setup's whole job: its lock-out is asked about before the erase
    // (a "no" leaves the chip untouched), and a buffer edited since is programmed without the setup's
    // choices once the user says so.
    void programWithSetup_data() {
        QTest::addColumn<bool>("edit");
        QTest::addColumn<bool>("write");
        QTest::newRow("lock-out confirmed") << false << true;
        QTest::newRow("lock-out declined: nothing erased") << false << false;
        QTest::newRow("buffer edited: without the setup") << true << false;
    }
    void programWithSetup() {
        QFETCH(bool, edit);
        QFETCH(bool, write);
        virtualwriter::WriterModel& model = OnVirtualWriter();
        QTemporaryDir dir;
        const QString hex = WriteFile(dir.filePath("w.hex"), kCodeHex);
        const QString path = dir.filePath("job.zendra");
        production::BenchSetup setup{.code = {"w.hex", production::FileSha256(hex)}, .programEeprom = false,
                                .device = devices::DeviceAt(0)->Name(), .lockFuse = {{"RSTDISBL", "PB5:I/O", {}}}};
        QVERIFY(!production::SaveSetup(setup, path));
        int asked = 0;
        bool blankWhenAsked = false;
        m_h->answerModal = [&](QDialog& dialog) {
            auto* confirm = qobject_cast<shell::FrmConfirm*>(&dialog);
            if (!confirm) return dialog.reject();
            ++asked, blankWhenAsked = model.Chip().flash.value(0) == 0xFFFF;
            (write ? confirm->Command_write : confirm->Command_cancel)->click();
        };
        QVERIFY(m_h->Start(m_env->AppDir()));
        const quint8 fuse = model.Chip().fuseLow;
        Main().onFileDropped(path);
        QCOMPARE(m_h->app->State().CodeFileName, hex);
        if (edit) {
            Panel().txtAddress->setText("8");
            Panel().txtData->setText("ABCD");
            Do("CmdWrite")(*m_h);
        }
        m_h->boxes.clear();
        Do("Cmd_btn_program")(*m_h);
        QCOMPARE(asked, edit ? 0 : 1);
        QCOMPARE(m_h->boxes.size(), edit ? 1 : 0);  // the question whether to program the buffer alone
        if (!edit) QVERIFY(blankWhenAsked);
        QCOMPARE(model.Chip().flash.value(0) == 0x3412, write || edit);
        QCOMPARE(model.Chip().fuseLow, write ? quint8(fuse & ~0x10) : fuse);
    }

    // Against the in-process virtual writer: 中止 in each phase ends the run after the exchange in hand,
    // sends the writer back to its base set, and leaves the buffers and the verify window alone.
    void cancelInEachPhase_data() {
        namespace t = operations::texts;
        QTest::addColumn<CancelAt>("c");
        const auto row = [](const char* tag, const CancelAt& c) { QTest::newRow(tag) << c; };
        // clang-format off
        row("program: flash", {.command = "Cmd_btn_program", .phase = t::kProgrammingFlash, .step = 100});
        row("program: eeprom", {.command = "Cmd_btn_program", .phase = t::kProgrammingEeprom, .step = 10});
        row("program: its verify", {.command = "Cmd_btn_program", .phase = t::kVerifyingFlash, .step = 100});
        row("verify: eeprom", {.command = "Cmd_btn_verify", .phase = t::kVerifyingEeprom, .step = 10, .burned = true});
        row("read: flash", {.command = "Cmd_btn_read", .phase = t::kReadingFlash, .step = 100, .burned = true});
        row("read: eeprom", {.command = "Cmd_btn_read", .phase = t::kReadingEeprom, .step = 10, .burned = true});
        row("erase", {.command = "Cmd_btn_erase", .phase = t::kErasing, .burned = true});
        // clang-format on
    }
    void cancelInEachPhase() {
        QFETCH(CancelAt, c);
        using virtualwriter::WriterModel;
        WriterModel& model = OnVirtualWriter();
        virtualwriter::ChipState chip = model.Chip();
        image::MemoryImages wanted;
        for (int w = 0; w < chip.flash.size(); ++w)
            wanted.ProgramImage[2 * w] = quint8(w), wanted.ProgramImage[2 * w + 1] = quint8(w >> 3);
        for (int a = 0; a < chip.eeprom.size(); ++a) wanted.EepromImage[a] = quint8(a * 7);
        if (c.burned) {
            for (int w = 0; w < chip.flash.size(); ++w)
                chip.flash[w] = quint16(wanted.ProgramImage[2 * w] << 8 | wanted.ProgramImage[2 * w + 1]);
            chip.eeprom = QByteArray(reinterpret_cast<const char*>(wanted.EepromImage.data()), chip.eeprom.size());
            QVERIFY(model.LoadChip(chip));
        }
        QVERIFY(m_h->Start(m_env->AppDir()));
        auto& images = m_h->app->Images();
        if (QString(c.command) == "Cmd_btn_program" || QString(c.command) == "Cmd_btn_verify") images = wanted;
        const image::MemoryImages before = images;

        bool pressed = false;
        QString figures;
        QList<virtualwriter::WireEntry> afterPress;
        m_h->app->Ui().onShown = [&] {
            shell::FrmMsg* w = m_h->app->Ui().Messages().Window();
            if (pressed || !w || w->txtMsg->text() != c.phase || !w->Cmd_cancel->isVisible()) return;
            if (c.step > 0 && (!w->ProgBar->isVisible() || w->ProgBar->value() < c.step)) return;
            pressed = true;
            figures = w->lblFigures->text();
            model.TakeWireLog();
            QTest::mouseClick(w->Cmd_cancel, Qt::LeftButton);
        };
        QTest::mouseClick(Panel().findChild<QPushButton*>(c.command), Qt::LeftButton);
        m_h->app->Ui().onShown = nullptr;
        QVERIFY(pressed);
        if (c.step > 0) QVERIFY2(QRegularExpression("^\\d+%  残り約 \\d+ 秒$").match(figures).hasMatch(), qPrintable(figures));
        // Nothing after the press but ESC: the exchange in hand had ended, no other began.
        QCOMPARE(model.WireLog(), (QList<virtualwriter::WireEntry>{{.fromHost = true, .bytes = "\x1b"}}));
        QCOMPARE(model.CurrentMode(), WriterModel::Mode::Base);
        QVERIFY(!model.InProgrammingMode());
        QCOMPARE(m_h->Result(), QString("操作を中止しました。"));
        QCOMPARE(m_h->Message(), QString("操作を中止しました。"));
        QVERIFY(!m_h->app->Ui().Messages().Window()->Cmd_cancel->isVisible());
        QVERIFY(!Main().DumpSubWindow(DumpWindow::Verify)->isVisible());
        QCOMPARE(images.ProgramImage, before.ProgramImage);
        QCOMPARE(images.EepromImage, before.EepromImage);
        QVERIFY(!m_h->app->Guard().IsBusy());

        // The writer takes the next command as after power-up.
        images = wanted;
        QTest::mouseClick(Panel().Cmd_btn_program, Qt::LeftButton);
        QCOMPARE(m_h->Result(), QString("ベリファイ　FLASH : OK / EEPROM : OK 　プログラミング正常終了。"));
        const auto panelColour = [this] { return Main().StatusPanel(1)->palette().color(QPalette::WindowText); };
        QCOMPARE(panelColour(), shell::kSuccessTextColour);
        // A chip that differs: the same text, in the failure colour, beside a notice marked critical.
        images.ProgramImage[0] ^= 0xFF;
        QTest::mouseClick(Panel().Cmd_btn_verify, Qt::LeftButton);
        QCOMPARE(m_h->Result(), QString("ベリファイ終了しました。"));
        QCOMPARE(panelColour(), shell::kFailureTextColour);
        QVERIFY(m_h->app->Ui().Messages().Window()->imgIcon->isVisible());
    }

};

QTEST_MAIN(TestMainWindow)
#include "tst_main.moc"
