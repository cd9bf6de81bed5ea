// The language switch and the one catalogue: every Japanese text of the logic, as written and as
// composed by the code, stays byte-exact in Japanese and leaves no Japanese character in English.

#include <QtTest>

#include "LinkFixture.h"
#include "core/Language.h"
#include "devices/Catalogue.h"
#include "devices/Encodings.h"
#include "image/ImageTexts.h"
#include "operations/Checks.h"
#include "operations/OperationTexts.h"
#include "update/UpdateTexts.h"

Q_DECLARE_METATYPE(zendra::core::Language)
Q_DECLARE_METATYPE(std::optional<zendra::core::Language>)

namespace zendra::test {
// A text as the logic gives it, and how it reads in English.
struct TranslateRow {
    QString text;
    QString english;
};
}  // namespace zendra::test
Q_DECLARE_METATYPE(zendra::test::TranslateRow)

namespace zendra::test {
namespace {

using core::Language;
namespace lt = link::texts;
namespace ot = operations::texts;
namespace it = image::texts;

// Every `inline const QString` of the logic's text headers, listed by name from the headers when
// CMake configures, so a text added later is checked without anyone listing it here.
struct TextConstant {
    const char* name;
    const QString* text;
};
const TextConstant kTextConstants[] = {
#include "TextConstants.inc"
};

// The reply message of a command whose far end answers `reply`.
QString ReplyMessage(link::CommandResult (*command)(link::Session&), const QByteArray& reply) {
    LinkFixture f;
    f.respond = [reply](ScriptedPort& p, const QByteArray&) { p.QueueReply(reply); };
    return command(f.session).message;
}

// The firmware advisory exactly as the communication check shows it for `version`.
QString AdvisoryText(double version) {
    LinkFixture f;
    operations::ShowFirmwareAdvisory(f.Start(), version);
    return f.ui.boxes.isEmpty() ? QString() : f.ui.boxes.first().text;
}

// The texts of the device selector and the lock/fuse panel, from the catalogue and the encodings.
QStringList DeviceAndPanelTexts() {
    QStringList texts = devices::DeviceNames();
    const auto layouts = {devices::FuseLayout::None,          devices::FuseLayout::LockOnly,
                          devices::FuseLayout::Tiny12,        devices::FuseLayout::Tiny15,
                          devices::FuseLayout::Tiny26,        devices::FuseLayout::At90s4433,
                          devices::FuseLayout::CombinedFstrt, devices::FuseLayout::CombinedRcen};
    for (int i = 0; i < core::kPanelControlCount; ++i)
        for (devices::FuseLayout layout : layouts)
            if (auto choices = devices::ActiveChoices(static_cast<devices::PanelControl>(i), layout))
                texts << choices->entries;
    texts.removeDuplicates();
    return texts;
}

}  // namespace

class TestLanguage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { core::UseLanguage(Language::Japanese); }

    void localeName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<Language>("expected");
        const Language J = Language::Japanese, E = Language::English;
        for (const auto& [name, expected] : {std::pair{"ja", J}, {"ja-JP", J}, {"JA_JP", J}, {"ja@euro", J},
                                             {"en_US.UTF-8", E}, {"C", E}, {"", E}, {"jam_JM", E}})
            QTest::newRow(*name ? name : "empty") << QString(name) << expected;
    }
    void localeName() {
        QFETCH(QString, name);
        QFETCH(Language, expected);
        QCOMPARE(core::LanguageFromLocale(name), expected);
    }

    void parse_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<Language>>("expected");
        const std::optional<Language> none;
        for (const auto& [text, expected] : {std::pair{"ja", std::optional(Language::Japanese)},
                                             {"EN", Language::English}, {"en_US", none}, {"", none}})
            QTest::newRow(*text ? text : "empty") << QString(text) << expected;
    }
    void parse() {
        QFETCH(QString, text);
        QFETCH(std::optional<Language>, expected);
        QCOMPARE(core::ParseLanguage(text), expected);
        if (expected) QCOMPARE(core::ParseLanguage(core::LanguageCode(*expected)), expected);
    }

    void containsJapanese_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("expected");
        QTest::newRow("ASCII") << "Verify FLASH : OK" << false;
        QTest::newRow("Latin-1 byte") << QString(QChar(0xB1)) << false;
        for (const char* text : {"abcの", "ｺ", "秒", "　", "Ｚ", "：", "\U00020000"})  // the last: CJK extension B
            QTest::newRow(text) << QString(text) << true;
    }
    void containsJapanese() {
        QFETCH(QString, text);
        QFETCH(bool, expected);
        QCOMPARE(core::ContainsJapanese(text), expected);
    }

    void translate_data() {
        QTest::addColumn<TranslateRow>("row");
        const QString crlf = QStringLiteral("\r\n");
        const QString page = core::kSupportPageAddress;
        const TranslateRow rows[] = {
            {.text = "プロテクトなし", .english = "No protection"},
            // Composed texts: a number, a hex code or a byte between the pieces.
            {.text = core::Compose(lt::kWriterFoundOnCom, {"12"}), .english = "Writer detected on COM12."},
            {.text = core::Compose(lt::kSendingSelectDevice, {"5A"}),
             .english = "Sending command : Select device command T , 0x5A"},
            {.text = ReplyMessage(&link::EnterProgrammingMode, "\xB1"),
             .english = "Wrong reply data : Enter programming Mode P " + QString(QChar(0xB1))},
            {.text = core::JoinTexts({it::kCodeReadError, core::Compose(it::kLineSuffix, {"12"})}),
             .english = "HEX file open error (line 12)"},
            {.text = core::JoinTexts(
                 {core::JoinTexts({it::kReloadFileLabel, "/home/user/a.rom"}), it::kReloadNotSet}, crlf),
             .english =
                 "File to reload : /home/user/a.rom\r\nNo file to reload has been set. Once you open a HEX "
                 "file from File on the menu bar, its name is set automatically."},
            // The update's composed texts, as its routines build them.
            {.text = update::EchoTimeOutText(0x1F, 0x3F, 0xFF),
             .english = "*** Update failed *** Address=0x1F Data=0x3FFF"},
            {.text = core::JoinTexts(
                 {update::kUpdateFailed, update::LineProblemText(3, update::kRecordBadChecksum)}, " "),
             .english = "*** Update failed *** Line 3: The checksum does not match."},
            // The firmware advisory with the support page and the versions inserted.
            {.text = AdvisoryText(6.3),
             .english = "The firmware version is old; please update the firmware.\r\n \r\nThe new firmware "
                        "is on the "
                        "CD-ROM that came with the kit you purchased,\r\nor can be obtained from " +
                        page + ".\r\n \r\nFor how to update, see " + page +
                        ".\r\n \r\nCurrent firmware version     : "
                        "KX-WRT540 V6.3 \r\nRecommended firmware version : KX-WRT540 V6.35 or later.\r\n \r\n"
                        "(The firmware version in use is shown at the bottom right of the main window.)\r\n"},
            // Texts that are English already stay as they are.
            {.text = ot::kLogFlashHeader, .english = "Flash Program memory address verify"},
        };
        for (const TranslateRow& r : rows)
            QTest::newRow(qPrintable(r.english.left(48).replace(QRegularExpression("[\r\n]+"), " "))) << r;
    }
    void translate() {
        QFETCH(TranslateRow, row);
        QVERIFY(!row.text.isEmpty());
        const QByteArray japanese = row.text.toUtf8();
        QCOMPARE(core::Translate(row.text).toUtf8(), japanese);

        QVERIFY(core::UseLanguage(Language::English));
        const QString english = core::Translate(row.text);
        QCOMPARE(english, row.english);
        QVERIFY2(!core::ContainsJapanese(english), qPrintable(english));

        // The switch takes effect at once, both ways.
        QVERIFY(core::UseLanguage(Language::Japanese));
        QCOMPARE(core::CurrentLanguage(), Language::Japanese);
        QCOMPARE(core::Translate(row.text).toUtf8(), japanese);
        QVERIFY(core::UseLanguage(Language::English));
        QVERIFY(core::UseLanguage(Language::English));  // twice is once
        QCOMPARE(core::Translate(row.text), row.english);
    }

    // A text the catalogue does not know is shown as it is, rather than cut into pieces.
    void unknownTextStays() {
        QVERIFY(core::UseLanguage(Language::English));
        const QString unknown = QStringLiteral("未知の文字列です");
        QCOMPARE(core::Translate(unknown), unknown);
        const QString path = QStringLiteral("データ.hex");
        QCOMPARE(core::Translate(update::FileChosenText(path)), "File " + path + " selected.");
    }

    // Every Japanese text of the logic has its own English entry in the catalogue.
    void everyTextInCatalogue() {
        QVERIFY(core::UseLanguage(Language::English));
        QStringList texts;
        for (const TextConstant& constant : kTextConstants) texts << *constant.text;
        QVERIFY(texts.size() > 100);
        texts << DeviceAndPanelTexts();
        int checked = 0;
        for (const QString& text : texts) {
            if (!core::ContainsJapanese(text)) continue;
            ++checked;
            const QString english =
                QCoreApplication::translate(core::kCatalogueContext, text.toUtf8().constData());
            QVERIFY2(english != text, qPrintable(QStringLiteral("no English for: ") + text));
            QVERIFY2(!core::ContainsJapanese(english), qPrintable(text + QStringLiteral(" -> ") + english));
        }
        QVERIFY(checked > 100);
    }

};

}  // namespace zendra::test

QTEST_GUILESS_MAIN(zendra::test::TestLanguage)
#include "tst_language.moc"
