// The settings table: where the file lives, what each key reads back, and how bad stored text falls back.
#include <QFile>
#include <QtTest>

#include "MemorySettings.h"
#include "TestEnvironment.h"
#include "core/Settings.h"

using namespace zendra;

class SettingsTest : public QObject {
    Q_OBJECT
    test::TestEnvironment m_env;

private Q_SLOTS:
    void fileLivesInTheUsersConfigFolder() {
        {
            core::IniSettingsStore store;
            core::WriteInt(store, core::keys::Device, 7);
            store.Sync();
            QCOMPARE(store.FilePath(), m_env.ConfigDir() + QStringLiteral("/New ZendraV6/New ZendraV6.ini"));
        }
        QFile file(m_env.ConfigDir() + QStringLiteral("/New ZendraV6/New ZendraV6.ini"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY2(text.contains("[Settings]") && text.contains("device=7"), text.constData());
    }

    void valuesSurviveANewStore() {
        {
            core::IniSettingsStore store;
            core::WriteReal(store, core::keys::MainWidth, 12345);
            core::WriteText(store, core::keys::OpenDir, QStringLiteral("/home/user/ファーム"));
            core::WriteText(store, core::keys::Com, QStringLiteral("3"));
        }
        core::IniSettingsStore again;
        QCOMPARE(core::ReadReal(again, core::keys::MainWidth), 12345.0);
        QCOMPARE(core::ReadText(again, core::keys::OpenDir), QStringLiteral("/home/user/ファーム"));
        QCOMPARE(core::ReadText(again, core::keys::Com), QStringLiteral("3"));
    }

    void intKeys_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("present");
        QTest::addColumn<int>("expected");
        QTest::newRow("absent") << QString() << false << 0;
        QTest::newRow("lowest") << QStringLiteral("0") << true << 0;
        QTest::newRow("highest") << QStringLiteral("12") << true << 12;
        QTest::newRow("above the catalogue") << QStringLiteral("13") << true << 0;
        QTest::newRow("negative") << QStringLiteral("-1") << true << 0;
        QTest::newRow("text") << QStringLiteral("abc") << true << 0;
        QTest::newRow("fraction") << QStringLiteral("2.5") << true << 0;
        QTest::newRow("blanks around") << QStringLiteral(" 4 ") << true << 4;
        QTest::newRow("empty") << QString() << true << 0;
    }
    void intKeys() {
        QFETCH(QString, stored);
        QFETCH(bool, present);
        QFETCH(int, expected);
        test::MemorySettings store;
        if (present) store.Write(QStringLiteral("Settings"), QStringLiteral("device"), stored);
        QCOMPARE(core::ReadInt(store, core::keys::Device), expected);
    }

    void comNoxDefaultsDependOnTheReader() {
        test::MemorySettings store;
        QCOMPARE(core::ReadInt(store, core::keys::ComNox), 1);
        QCOMPARE(core::ReadInt(store, core::keys::ComNox, 0), 0);
        store.Write(QStringLiteral("Settings"), QStringLiteral("ComNox"), QStringLiteral("21"));
        QCOMPARE(core::ReadInt(store, core::keys::ComNox, 0), 0);
        core::WriteInt(store, core::keys::ComNox, 12);
        QCOMPARE(store.values.value(QStringLiteral("Settings/ComNox")), QStringLiteral("12"));
        QCOMPARE(core::ReadInt(store, core::keys::ComNox, 0), 12);
    }

    void realKeys_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<double>("expected");
        QTest::newRow("absent gives the default") << QString() << 7900.0;
        QTest::newRow("whole twips") << QStringLiteral("6050") << 6050.0;
        QTest::newRow("single precision text") << QStringLiteral("4100.5") << 4100.5;
        QTest::newRow("text") << QStringLiteral("wide") << 7900.0;
        QTest::newRow("not finite") << QStringLiteral("inf") << 7900.0;
        QTest::newRow("absurd") << QStringLiteral("1e30") << 7900.0;
        QTest::newRow("comma decimal is not a number") << QStringLiteral("12,5") << 7900.0;
    }
    void realKeys() {
        QFETCH(QString, stored);
        QFETCH(double, expected);
        test::MemorySettings store;
        if (!stored.isNull()) store.Write(QStringLiteral("Settings"), QStringLiteral("MainHeight"), stored);
        QCOMPARE(core::ReadReal(store, core::keys::MainHeight), expected);
    }

    void realsAreWrittenAsDecimalText_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 11300.0 << QStringLiteral("11300");
        QTest::newRow("fraction") << 50.25 << QStringLiteral("50.25");
        QTest::newRow("negative") << -120.0 << QStringLiteral("-120");
    }
    void realsAreWrittenAsDecimalText() {
        QFETCH(double, value);
        QFETCH(QString, text);
        test::MemorySettings store;
        core::WriteReal(store, core::keys::PgmLeft, value);
        QCOMPARE(store.values.value(QStringLiteral("Settings/PgmLeft")), text);
    }

    void decimalTextIgnoresTheUsersLocale() {
        QLocale::setDefault(QLocale(QLocale::German));
        test::MemorySettings store;
        core::WriteReal(store, core::keys::IndLeft, 1.5);
        QCOMPARE(store.values.value(QStringLiteral("Settings/IndLeft")), QStringLiteral("1.5"));
        QCOMPARE(core::ReadReal(store, core::keys::IndLeft), 1.5);
        QLocale::setDefault(QLocale::c());
    }

    void textKeysAndTheirDefaults() {
        test::MemorySettings store;
        QCOMPARE(core::ReadText(store, core::keys::Speed), QStringLiteral("?"));
        QCOMPARE(core::ReadText(store, core::keys::Com), QStringLiteral("?"));
        QCOMPARE(core::ReadText(store, core::keys::SaveDir), QString());
        core::WriteText(store, core::keys::OpenDir0, QStringLiteral("/tmp/fw"));
        QCOMPARE(store.values.value(QStringLiteral("Settings6/OPEN_DIR0")), QStringLiteral("/tmp/fw"));
    }
};

QTEST_GUILESS_MAIN(SettingsTest)
#include "tst_settings.moc"
