#pragma once
// Every text that the image layer shows, written once.

#include <QString>

#include "core/Product.h"

namespace zendra::image::texts {

// Intel HEX readers: the error of each reader, followed by the line that made it reject the file.
inline const QString kCodeReadError =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "HEX ファイルのオープンエラー"));
inline const QString kEepromReadError =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "EEP  ファイルのオープンエラー"));
inline const QString kLineSuffix = QStringLiteral(QT_TRANSLATE_NOOP("zendra", " (行 %1)"));
// Why the file was refused, shown in the notice on a line after the file's name.
inline const QString kFileMissing = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ファイルがありません。"));
inline const QString kFileNotRegular = QStringLiteral(
    QT_TRANSLATE_NOOP("zendra", "通常のファイルではありません (フォルダ、デバイス、FIFO など)。"));
inline const QString kFileTooLarge =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ファイルが大きすぎます (上限 4 MiB)。"));
inline const QString kFileUnreadable =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ファイルを読み込めません。"));
inline const QString kHexNoStartMark =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "行が \":\" で始まっていません。"));
inline const QString kHexBadDigit =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "16進数でない文字があります。"));
inline const QString kHexLengthMismatch =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "レコードの長さがバイト数と一致しません。"));
inline const QString kHexBadChecksum =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "チェックサムが一致しません。"));
inline const QString kHexOutsideImage =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "アドレスがメモリの範囲を超えています。"));
inline const QString kHexExtendedAddress =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "0 でない拡張アドレスには対応していません。"));
inline const QString kElfDamaged =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ELF ファイルが途中で切れているか、壊れています。"));
// A damaged ELF file names the part that lies outside the file or does not hold together.
inline const QString kElfPartDamaged = QStringLiteral(
    QT_TRANSLATE_NOOP("zendra", "ELF ファイルの%1がファイルの範囲を超えているか、壊れています。"));
inline const QString kElfPartHeader = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ELF ヘッダー"));
inline const QString kElfPartProgramHeaders =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "プログラム ヘッダー表"));
inline const QString kElfPartSectionHeaders =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "セクション ヘッダー表"));
inline const QString kElfPartSectionNames = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "セクション名の表"));
inline const QString kElfPartSegment = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "セグメント %1"));
inline const QString kElfPartSection = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "セクション %1"));
inline const QString kElfNotAvr = QStringLiteral(
    QT_TRANSLATE_NOOP("zendra", "AVR 用の 32 ビット リトルエンディアンの ELF 実行ファイルではありません。"));
inline const QString kElfOverlap =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ELF ファイルのセグメントが重なっています。"));
inline const QString kSRecordNoStartMark =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "行が \"S\" で始まっていません。"));
inline const QString kSRecordType =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "対応していない種類の S レコードです。"));
// Data that lies beyond the selected device's memory (loaded, but outside the in-use range).
inline const QString kCodeBeyondDevice = QStringLiteral(
    QT_TRANSLATE_NOOP("zendra", "HEX ファイルにはデバイスの Flash 容量を超えるデータが %1 バイトあります。"));
inline const QString kEepromBeyondDevice = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "EEP ファイルにはデバイスの EEPROM 容量を超えるデータが %1 バイトあります。"));

// Code file writers.
inline const QString kSaveTitle = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ファイル保存"));
inline const QString kSaveReadOnly =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "リードオンリーファイルにアクセスしました。"));
inline const QString kSaveFailed =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ファイル保存できませんでした。"));
inline const QString kSaveNotElf = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "ELF ファイルには保存できません。.hex、.bin または .srec の名前を選んでください。"));

// Buffer-edit panel.
inline const QString kInputWrong =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "入力データに誤りがあります．"));
inline const QString kFlashAddressRange =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "Flash アドレスが範囲を超えています．"));
inline const QString kEepromAddressRange =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "EEPROM アドレスが範囲を超えています．"));

// File commands: dialogs.
inline const QString kTitleOpenCodeAndData =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "コードファイル ＆ データファイルを開く"));
inline const QString kTitleOpenCode =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "コードファイル(*.hex)を開く"));
inline const QString kTitleOpenData =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "データファイル(*.eep)を開く"));
inline const QString kTitleSaveCodeAndData =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "コードファイル ＆ データファイルの保存"));
inline const QString kTitleSaveCode =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "コードファイル(*.hex)の保存"));
inline const QString kTitleSaveData =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "データファイル(*.eep)の保存"));
inline const QString kFilterCode = QStringLiteral("Hex File (*.hex *.rom);;All Files (*)");
// The open choosers: the kinds of code file a toolchain leaves, after the Intel HEX entries.
inline const QString kFilterOpenCode =
    kFilterCode + QStringLiteral(";;ELF File (*.elf);;Binary File (*.bin);;S-Record File (*.srec *.s19 *.s28 *.s37)");
inline const QString kFilterData = QStringLiteral("eep File (*.eep);;All Files (*)");
inline const QString kFilterSaveCode = QStringLiteral("Hex File (*.HEX);;All Files (*)");
inline const QString kFilterSaveCodeAll =
    kFilterSaveCode + QStringLiteral(";;Binary File (*.bin);;S-Record File (*.srec *.s19 *.s28 *.s37)");
inline const QString kFilterSaveData = QStringLiteral("Eep File (*.eep);;All Files (*)");
inline const QString kSuffixCode = QStringLiteral("hex");
inline const QString kSuffixData = QStringLiteral("eep");
inline const QString kPresetSaveCode = QStringLiteral("*.hex");
inline const QString kPresetSaveData = QStringLiteral("*.eep");

// File commands: window titles.
inline const QString kProgramTitlePrefix = QStringLiteral("Program : ");
inline const QString kProgramNotFoundTitle = QStringLiteral("Program : Not found HEX file");
inline const QString kEepromTitlePrefix = QStringLiteral("EEPROM : ");
inline const QString kEepromNotFoundTitle = QStringLiteral("EEPROM memory : Not found EEP file");

// File commands: results.
inline const QString kCannotOpen =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "指定されたファイルを開くことができませんでした。"));
inline const QString kReloadFileLabel =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "再ロードするファイル名 ： "));
inline const QString kReloadNoName = QStringLiteral("?");
inline const QString kReloadNotSet = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra",
    "再ロードするファイルが未指定です。 "
    "一度、メニューバーのファイルからＨＥＸファイルを開くと自動的にファイル名が指定されます。"));
inline const QString kOpened = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ファイルをオープンしました。"));
inline const QString kSaved = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ファイルを保存しました．"));
inline const QString kNoFileOpenNotice =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ファイルがオープンされていません．"));
inline const QString kNoFileOpenStatus =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ファイルがオープンされていません"));
inline const QString kOverwriteQuestion =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ファイルが存在します。上書きしますか？"));

// The main window's caption titles the box of the open-code command.
inline const QString kMainWindowCaption = core::kMainCaption;

}  // namespace zendra::image::texts
