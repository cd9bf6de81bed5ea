#pragma once
// Hexadecimal text conversions of the images, the dumps and the buffer-edit panel.
// Conversions that meet a bad digit set `error` to 1 and count the digit as 0; they never clear it,
// so a caller sets it to 0 before the steps whose failure it wants to see (the ErrorFlag rule).

#include <QString>
#include <QtGlobal>

namespace zendra::image {

// Both file formats write 16 data bytes per record, lines ending in CR LF.
inline constexpr int kFileRecordBytes = 16;
inline constexpr char kFileLineEnd[] = "\r\n";
// A file's hex digit, either case (toolchains write both); -1 for anything else.
int FileDigitValue(char c);

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
