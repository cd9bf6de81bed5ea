#pragma once
// Writer scripts written as text, so a test table row can say what the writer answers:
// "c1=0D C1=0D@1500" — letter 'c', reply after one more write, bytes 0D; letter 'C' answers 1.5 s late.
// An empty reply ("A0=") means the writer stays silent.

#include <QString>
#include <QStringList>

#include "LinkFixture.h"

namespace zendra::test {

inline LetterScript ParseScript(const QString& text) {
    LetterScript script;
    for (const QString& token : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const char letter = token.at(0).toLatin1();
        const int eq = token.indexOf(QLatin1Char('='));
        const int at = token.indexOf(QLatin1Char('@'));
        LetterScript::Entry entry;
        entry.parameterWrites = token.mid(1, eq - 1).toInt();
        entry.reply = QByteArray::fromHex(token.mid(eq + 1, at < 0 ? -1 : at - eq - 1).toLatin1());
        if (at >= 0) entry.delay = std::chrono::milliseconds(token.mid(at + 1).toInt());
        script.entries.insert(letter, entry);
    }
    return script;
}

}  // namespace zendra::test
