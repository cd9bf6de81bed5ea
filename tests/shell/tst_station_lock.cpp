// A station locked to its job: every way into the job refused while locked, the engineer's password kept
// only as an Argon2id hash, a wrong password keeping the lock, closing only for the right one.

#include <QtTest>
#include <QtWidgets>

#include "AppHarness.h"
#include "production/BenchSetup.h"
#include "shell/FrmStation.h"
#include "shell/StationFilesPanel.h"
#include "shell/StationGate.h"

using namespace zendra;
using namespace zendra::test;
using Act = std::function<void(AppHarness&)>;

namespace {
const QString kLocked = "ステーションはロックされています。変更にはエンジニアのパスワードでロックを解除してください。";
const QString kSecret = "Lötkolben-42";

Act Do(const char* name) {  // clicks the button, or triggers the menu item, of that name
    return [name](AppHarness& h) {
        auto* button = h.Main().findChild<QPushButton*>(name);
        button ? QTest::mouseClick(button, Qt::LeftButton) : h.Main().Action(name)->trigger();
    };
}

// Everything a way into the job could change.
QString Trace(AppHarness& h) {
    QString t;
    const auto& image = h.app->Images();
    QDebug(&t) << h.port.Writes().size() << h.modals << h.fileRequests << h.boxes << h.app->State().CodeFileName
               << h.app->State().SelectedDevice << h.app->HasEnded() << h.ended
               << qHashBits(image.ProgramImage.data(), image.ProgramImage.size());
    for (auto* box : h.Panel().findChildren<QComboBox*>()) QDebug(&t) << box->currentText();
    return t;
}

// Answers the password dialog with `typed` (both fields when it sets one); any other dialog is cancelled.
void AnswerPassword(AppHarness& h, const QString& typed) {
    h.answerModal = [typed](QDialog& dialog) {
        auto* password = qobject_cast<shell::DialogPassword*>(&dialog);
        if (!password) return dialog.reject();
        if (typed.isNull()) return password->Command_cancel->click();
        password->txtPassword->setText(typed);
        if (password->txtAgain) password->txtAgain->setText(typed);
        password->Command_ok->click();
    };
}
}  // namespace

Q_DECLARE_METATYPE(Act)

class TestStationLock : public QObject {
    Q_OBJECT
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<AppHarness> m_h;

    void LockWith(const QString& password) {
        AnswerPassword(*m_h, password);
        QVERIFY(m_h->app->LockGate().LockTo(m_env->AppDir() + "job.zendra"));
        m_h->modals.clear();
    }

private Q_SLOTS:
    void initTestCase() { m_env = std::make_unique<TestEnvironment>(); }
    void init() {
        SetSettings({{"Index_Com_Flag", "1"}, {"ComNox", "1"}, {"device", "0"}});
        m_h = std::make_unique<AppHarness>();
        QVERIFY(m_h->Start(m_env->AppDir()));
    }
    void cleanup() { m_h.reset(); }

    void lockedRefusesEachWayIn_data() {
        QTest::addColumn<Act>("attempt");
        QTest::addColumn<bool>("said");  // status panel 1 names the lock
        QTest::newRow("main window command") << Do("Cmd_btn_program") << true;
        QTest::newRow("buffer edit") << Do("CmdWrite") << true;
        QTest::newRow("device") << Act([](AppHarness& h) { Pick(h.Panel().Combo_device, 8); }) << true;
        QTest::newRow("open setup") << Do("mnuFileOpenSetup") << true;
        QTest::newRow("production settings") << Do("mnuProductionSetup") << true;
        QTest::newRow("another station") << Do("mnuProductionStation") << true;
        QTest::newRow("ports") << Do("Cmd_btn_comselect") << true;
        QTest::newRow("firmware update") << Do("mnuFirmwareUpdate") << true;
        QTest::newRow("close, password cancelled") << Act([](AppHarness& h) {
            AnswerPassword(h, QString());
            h.Main().close();
            h.modals.clear();
        }) << false;
    }
    void lockedRefusesEachWayIn() {
        QFETCH(Act, attempt);
        QFETCH(bool, said);
        LockWith(kSecret);
        m_h->Main().StatusPanel(1)->clear();
        m_h->Panel().txtData->setText("12");
        const QString before = Trace(*m_h);
        attempt(*m_h);
        QCOMPARE(Trace(*m_h), before);
        QCOMPARE(m_h->Result(), said ? kLocked : QString());
        QVERIFY(m_h->app->LockGate().Locked());
        QVERIFY(m_h->Main().isVisible());
    }

    // The settings hold libsodium's Argon2id string, never the password; a wrong one keeps the lock and
    // the close refused, the right one opens it, names this bench and lets the program close.
    void passwordOpensOnlyWhenRight() {
        LockWith(kSecret);
        const QString stored = ProgramSettings().value("Station/EngineerPassword").toString();
        QVERIFY2(stored.startsWith("$argon2id$v=19$"), qPrintable(stored));
        QVERIFY(!stored.contains(kSecret) && !stored.contains("Lötkolben"));

        AnswerPassword(*m_h, "lötkolben-42");
        QVERIFY(!m_h->app->LockGate().Unlock());
        QVERIFY(m_h->app->LockGate().Locked());
        QCOMPARE(m_h->Result(), QString("パスワードが違います。"));
        m_h->Main().close();
        QCOMPARE(m_h->ended, 0);

        AnswerPassword(*m_h, kSecret);
        m_h->Main().close();
        QCOMPARE(m_h->ended, 1);
        QVERIFY(!m_h->app->LockGate().Locked());
        QCOMPARE(m_h->app->LockGate().Facts().unlockedBy, QSysInfo::machineHostName());
    }

    // A file rebuilt after the setup was saved holds every chip back until an engineer accepts it (not
    // while locked); a file rebuilt after the start is a notice, and the chips keep the bytes loaded.
    void stationFilesHoldTheChips() {
        const QString folder = m_env->AppDir(), setupPath = folder + "job.zendra", code = folder + "job.hex";
        const QByteArray made = ":0400000012345678E8\r\n:00000001FF\r\n", rebuilt = ":00000001FF\r\n";
        const auto write = [&](const QByteArray& bytes) {
            QFile file(code);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        };
        write(made);
        const QString sha = production::FileSha256(code);
        QVERIFY(!production::SaveSetup({.code = {"job.hex", sha}}, setupPath));

        write(rebuilt);
        QCOMPARE(m_h->app->OpenStation(setupPath), QString());
        shell::FrmStation* station = m_h->app->Station();
        shell::StationTile* tile = station->AddWriter("/dev/zendra-no-such-port");
        QVERIFY(station->pnlFiles->Stopped());
        station->StartTile(tile);
        QVERIFY(!tile->Busy());
        LockWith(kSecret);
        station->cboPorts->setEditText("/dev/zendra-plugged-in");
        station->btnAddPort->click();
        QCOMPARE(station->Tiles().size(), 1);
        station->pnlFiles->btnAccept->click();
        QVERIFY(station->pnlFiles->Stopped());
        AnswerPassword(*m_h, kSecret);
        QVERIFY(m_h->app->LockGate().Unlock());
        station->pnlFiles->btnAccept->click();
        QVERIFY(!station->pnlFiles->Stopped());
        station->StartTile(tile);
        QVERIFY(tile->Busy());
        QTRY_VERIFY(!tile->Busy());

        const QString loaded = production::FileSha256(code);
        QTest::qWait(20);  // a time the file system tells apart
        write(made);
        station->pnlFiles->Refresh();
        QVERIFY(station->pnlFiles->lblFilesNotice->text().contains("job.hex"));
        QCOMPARE(station->pnlFiles->Files().Files()[0].loaded, loaded);
        QVERIFY(!station->pnlFiles->Stopped());
    }
};

QTEST_MAIN(TestStationLock)
#include "tst_station_lock.moc"
