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
    // Written as decimal text under the user's config folder, read back by a new store.
    void valuesSurviveANewStore() {
        {
            core::IniSettingsStore store;
            core::WriteInt(store, core::keys::Device, 7);
            core::WriteReal(store, core::keys::MainWidth, 12345);
            core::WriteText(store, core::keys::OpenDir, QStringLiteral("/home/user/ファーム"));
            store.Sync();
            QCOMPARE(store.FilePath(), m_env.ConfigDir() + QStringLiteral("/New ZendraV6/New ZendraV6.ini"));
        }
        QFile file(m_env.ConfigDir() + QStringLiteral("/New ZendraV6/New ZendraV6.ini"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY2(text.contains("[Settings]") && text.contains("device=7"), text.constData());
        core::IniSettingsStore again;
        QCOMPARE(core::ReadReal(again, core::keys::MainWidth), 12345.0);
        QCOMPARE(core::ReadText(again, core::keys::OpenDir), QStringLiteral("/home/user/ファーム"));
    }

    void intKeys_data() {
        QTest::addColumn<QString>("stored");  // null: absent
        QTest::addColumn<int>("expected");
        QTest::newRow("absent") << QString() << 0;
        QTest::newRow("highest") << QStringLiteral("12") << 12;
        QTest::newRow("above the catalogue") << QStringLiteral("13") << 0;
        QTest::newRow("negative") << QStringLiteral("-1") << 0;
        QTest::newRow("text") << QStringLiteral("abc") << 0;
        QTest::newRow("fraction") << QStringLiteral("2.5") << 0;
        QTest::newRow("blanks around") << QStringLiteral(" 4 ") << 4;
    }
    void intKeys() {
        QFETCH(QString, stored);
        test::MemorySettings store;
        if (!stored.isNull()) store.Write(QStringLiteral("Settings"), QStringLiteral("device"), stored);
        QTEST(core::ReadInt(store, core::keys::Device), "expected");
    }

    void comNoxDefaultsDependOnTheReader() {
        test::MemorySettings store;
        QCOMPARE(core::ReadInt(store, core::keys::ComNox), 1);
        QCOMPARE(core::ReadInt(store, core::keys::ComNox, 0), 0);
        store.Write(QStringLiteral("Settings"), QStringLiteral("ComNox"), QStringLiteral("21"));
        QCOMPARE(core::ReadInt(store, core::keys::ComNox, 0), 0);
        core::WriteInt(store, core::keys::ComNox, 12);
        QCOMPARE(core::ReadInt(store, core::keys::ComNox, 0), 12);
    }

    // What a stored text reads as (null: absent), and for a number, the text it is written as. Under a
    // German default locale, so a comma never creeps in.
    void realKeys_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<double>("expected");
        QTest::newRow("absent gives the default") << QString() << 7900.0;
        QTest::newRow("whole twips") << QStringLiteral("6050") << 6050.0;
        QTest::newRow("fraction") << QStringLiteral("4100.5") << 4100.5;
        QTest::newRow("negative") << QStringLiteral("-120") << -120.0;
        QTest::newRow("text") << QStringLiteral("wide") << 7900.0;
        QTest::newRow("not finite") << QStringLiteral("inf") << 7900.0;
        QTest::newRow("absurd") << QStringLiteral("1e30") << 7900.0;
        QTest::newRow("comma decimal is not a number") << QStringLiteral("12,5") << 7900.0;
    }
    void realKeys() {
        QFETCH(QString, stored);
        QFETCH(double, expected);
        QLocale::setDefault(QLocale(QLocale::German));
        const auto back = qScopeGuard([] { QLocale::setDefault(QLocale::c()); });
        test::MemorySettings store;
        if (!stored.isNull()) store.Write(QStringLiteral("Settings"), QStringLiteral("MainHeight"), stored);
        QCOMPARE(core::ReadReal(store, core::keys::MainHeight), expected);
        if (expected == 7900.0) return;
        core::WriteReal(store, core::keys::PgmLeft, expected);
        QCOMPARE(store.values.value(QStringLiteral("Settings/PgmLeft")), stored);
    }
};

QTEST_GUILESS_MAIN(SettingsTest)
#include "tst_settings.moc"
