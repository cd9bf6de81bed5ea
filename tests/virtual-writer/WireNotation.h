#pragma once
// Byte sequences written the way a wire trace reads: two-digit hex bytes and 'text tokens, space separated.
// "'AP 'a 00 10 'R" is A, P, a, 0x00, 0x10, R.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace zendra::test {

inline QByteArray Wire(const QString& notation) {
    QByteArray out;
    for (const QString& token : notation.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (token.startsWith(QLatin1Char('\''))) {
            out += token.mid(1).toLatin1();
        } else {
            bool ok = false;
            const uint value = token.toUInt(&ok, 16);
            Q_ASSERT_X(ok && value <= 0xFF && token.size() == 2, "Wire", qPrintable(token));
            out += static_cast<char>(value);
        }
    }
    return out;
}

inline QString Trace(const QByteArray& bytes) { return QString::fromLatin1(bytes.toHex(' ').toUpper()); }

}  // namespace zendra::test
