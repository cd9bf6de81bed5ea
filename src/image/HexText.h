#pragma once
// Hexadecimal text conversions of the images, the dumps and the buffer-edit panel.
// Conversions that meet a bad digit set `error` to 1 and count the digit as 0; they never clear it,
// so a caller sets it to 0 before the steps whose failure it wants to see (the ErrorFlag rule).

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>
#include <span>

namespace zendra::image {

// Both file formats write 16 data bytes per record, lines ending in CR LF.
inline constexpr int kFileRecordBytes = 16;
inline constexpr char kFileLineEnd[] = "\r\n";
// A file's hex digit, either case (toolchains write both); -1 for anything else.
int FileDigitValue(char c);

// The record lines of a code file (Intel HEX, S-records, the writer's update file): split at LF, a leading
// byte-order mark and each line's trailing CR, spaces and tabs left out, blank lines passed over.
// `take(line, number)` sees each with its number from 1, and stops the walk by returning false.
template <typename Take>
void ForEachRecordLine(QByteArrayView text, Take take) {
    if (text.startsWith("\xEF\xBB\xBF")) text = text.sliced(3);
    int number = 0;
    qsizetype position = 0;
    while (position < text.size()) {
        qsizetype end = text.indexOf('\n', position);
        if (end < 0) end = text.size();  // a last line without a line end
        QByteArrayView line = text.sliced(position, end - position);
        position = end + 1;
        ++number;
        while (!line.isEmpty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) line.chop(1);
        if (!line.isEmpty() && !take(line, number)) return;
    }
}

enum class DigitsFault { None, BadDigit, OddCount, TooLong };
// A record's digits (what follows its start mark) as bytes into `out`, each pair either case, with the
// bytes' sum for the checksum; `count` is how many bytes the line held.
DigitsFault DecodeRecordDigits(QByteArrayView digits, std::span<quint8> out, qsizetype& count, quint32& sum);

// Exactly one of "0".."9", "A".."F" (upper case only); anything else gives 0 and sets `error`.
quint32 HexDigitValue(const QString& digit, qint16& error);
// d1 × 4096 + d2 × 256 + d3 × 16 + d4.
quint32 HexDigitsToValue(const QString& d1, const QString& d2, const QString& d3, const QString& d4,
                         qint16& error);
// A value typed by the user: upper-cased, padded on the left to four digits, first four digits taken.
// An empty text gives 0 with `error` set.
quint32 HexTextToValue(const QString& text, qint16& error);
// Two upper-case digits.
QString ByteToHex(quint8 value);
// Four upper-case digits of `address` modulo 65,536.
QString AddressToHex(quint32 address);
// Appends the Intel HEX checksum of ":" + digit pairs: (256 − sum of the pairs) mod 256.
void AppendHexChecksum(QString& record, qint16& error);

}  // namespace zendra::image
