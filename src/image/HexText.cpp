#include "image/HexText.h"

namespace zendra::image {

namespace {

const char kUpperDigits[] = "0123456789ABCDEF";

// Only ASCII letters change: a full Unicode upper-casing turns some single characters into several
// (U+FB00 "ﬀ" becomes "FF"), which would let a non-hex text pass as a valid value.
QString AsciiUpper(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - 'a' + 'A');
    return out;
}

}  // namespace

int FileDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

DigitsFault DecodeRecordDigits(QByteArrayView digits, std::span<quint8> out, qsizetype& count, quint32& sum) {
    for (char c : digits)
        if (FileDigitValue(c) < 0) return DigitsFault::BadDigit;
    if (digits.size() % 2 != 0) return DigitsFault::OddCount;
    if (digits.size() / 2 > qsizetype(out.size())) return DigitsFault::TooLong;
    count = digits.size() / 2;
    sum = 0;
    for (qsizetype i = 0; i < count; ++i) {
        out[i] = static_cast<quint8>(FileDigitValue(digits[2 * i]) * 16 + FileDigitValue(digits[2 * i + 1]));
        sum += out[i];
    }
    return DigitsFault::None;
}

quint32 HexDigitValue(const QString& digit, qint16& error) {
    if (digit.size() == 1) {
        const char16_t c = digit.at(0).unicode();
        if (c >= u'0' && c <= u'9') return c - u'0';
        if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    }
    error = 1;
    return 0;
}

quint32 HexDigitsToValue(const QString& d1, const QString& d2, const QString& d3, const QString& d4,
                         qint16& error) {
    return HexDigitValue(d1, error) * 4096 + HexDigitValue(d2, error) * 256 + HexDigitValue(d3, error) * 16 +
           HexDigitValue(d4, error);
}

quint32 HexTextToValue(const QString& text, qint16& error) {
    QString digits = AsciiUpper(text);
    if (digits.size() >= 1 && digits.size() <= 3) digits = QString(4 - digits.size(), QLatin1Char('0')) + digits;
    // Characters past the fourth are ignored; missing ones (empty text) convert as bad digits.
    return HexDigitsToValue(digits.mid(0, 1), digits.mid(1, 1), digits.mid(2, 1), digits.mid(3, 1), error);
}

QString ByteToHex(quint8 value) {
    const QChar out[2] = {QLatin1Char(kUpperDigits[value >> 4]), QLatin1Char(kUpperDigits[value & 0x0F])};
    return QString(out, 2);
}

QString AddressToHex(quint32 address) {
    const quint32 a = address & 0xFFFF;
    return ByteToHex(static_cast<quint8>(a >> 8)) + ByteToHex(static_cast<quint8>(a & 0xFF));
}

void AppendHexChecksum(QString& record, qint16& error) {
    quint32 sum = 0;
    for (qsizetype i = 1; i + 1 < record.size(); i += 2)
        sum += HexDigitsToValue(QStringLiteral("0"), QStringLiteral("0"), record.mid(i, 1), record.mid(i + 1, 1),
                                error);
    record += ByteToHex(static_cast<quint8>((256 - sum % 256) % 256));
}

}  // namespace zendra::image
