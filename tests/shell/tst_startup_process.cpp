// The program as its user starts it: a copy of the executable in a folder of its own, run twice by the
// same user. The second copy ends at once, shows nothing and leaves the settings as they were.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include "AppHarness.h"
#include "TestEnvironment.h"

using namespace zendra::test;

class TestStartupProcess : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void secondCopyEndsSilently();

private:
    QProcess* Launch(const QStringList& arguments);

    std::unique_ptr<TestEnvironment> m_env;
    QString m_program;
};

void TestStartupProcess::initTestCase() {
    m_env = std::make_unique<TestEnvironment>();
    const QString built = QStringLiteral(ZENDRA_BUILD_DIR "/zendra");
    if (!QFile::exists(built)) QSKIP("the program is not built");
    // Its own folder: the scratch files land there, not beside the build.
    m_program = m_env->AppDir() + QStringLiteral("zendra");
    QVERIFY(QFile::copy(built, m_program));
}

QProcess* TestStartupProcess::Launch(const QStringList& arguments) {
    auto* process = new QProcess(this);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process->setProcessEnvironment(environment);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(m_program, arguments);
    return process;
}

void TestStartupProcess::secondCopyEndsSilently() {
    ClearProgramSettings();
    WriteProgramSetting(QStringLiteral("Index_Com_Flag"), QStringLiteral("1"));
    const QString lockPath = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
                             QStringLiteral("/New ZendraV6.lock");
    const QString settingsPath = ProgramSettings().fileName();

    // Arguments have no effect.
    QProcess* first = Launch({QStringLiteral("--help"), QStringLiteral("file.hex")});
    QVERIFY(first->waitForStarted(5000));
    // Start-up has run once the dumps are written.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_env->AppDir() + QStringLiteral("avrhex.txt")), 10000);
    QVERIFY(QFile::exists(lockPath));
    // Its settings reach the file once its event loop runs.
    QTest::qWait(500);
    QCOMPARE(first->state(), QProcess::Running);
    QFile settings(settingsPath);
    QVERIFY(settings.open(QIODevice::ReadOnly));
    const QByteArray before = settings.readAll();
    settings.close();

    QProcess* second = Launch({});
    QVERIFY(second->waitForFinished(10000));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    QVERIFY(settings.open(QIODevice::ReadOnly));
    QCOMPARE(settings.readAll(), before);
    QCOMPARE(first->state(), QProcess::Running);

    first->kill();
    first->waitForFinished(5000);
}

QTEST_MAIN(TestStartupProcess)
#include "tst_startup_process.moc"
