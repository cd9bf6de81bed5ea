#include "core/Language.h"

#include <QCoreApplication>
#include <QList>
#include <QPointer>
#include <QTranslator>

namespace zendra::core {

namespace {

const QString kCataloguePath = QStringLiteral(":/i18n/zendra_en.qm");
const QString kNumberPlaceholder = QStringLiteral("%1");

// A child of the application, so it goes with it; null means Japanese.
QPointer<QTranslator> g_translator;

bool IsJapaneseCode(char32_t c) {
    return (c >= 0x3000 && c <= 0x30FF)        // CJK punctuation, Hiragana, Katakana
           || (c >= 0x31F0 && c <= 0x31FF)     // Katakana phonetic extensions
           || (c >= 0x3400 && c <= 0x4DBF)     // CJK extension A
           || (c >= 0x4E00 && c <= 0x9FFF)     // CJK ideographs
           || (c >= 0xF900 && c <= 0xFAFF)     // CJK compatibility ideographs
           || (c >= 0xFF00 && c <= 0xFFEF)     // full-width forms, half-width katakana
           || (c >= 0x20000 && c <= 0x3FFFF);  // CJK extensions B and later
}

bool IsAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

std::optional<QString> Lookup(const QString& source) {
    const QByteArray utf8 = source.toUtf8();
    QString found = QCoreApplication::translate(kCatalogueContext, utf8.constData());
    if (found == source) return std::nullopt;
    return found;
}

// The catalogue's text for `piece`, as it is or with one of its numbers standing for "%1".
std::optional<QString> Find(const QString& piece) {
    if (!ContainsJapanese(piece)) return std::nullopt;
    if (auto exact = Lookup(piece)) return exact;
    for (qsizetype begin = 0; begin < piece.size();) {
        if (!IsAsciiDigit(piece.at(begin))) {
            ++begin;
            continue;
        }
        qsizetype end = begin;
        while (end < piece.size() && IsAsciiDigit(piece.at(end))) ++end;
        const QString number = piece.mid(begin, end - begin);
        if (auto pattern = Lookup(piece.left(begin) + kNumberPlaceholder + piece.mid(end)))
            return pattern->replace(kNumberPlaceholder, number);
        begin = end;
    }
    return std::nullopt;
}

bool SplitsCharacter(const QString& text, qsizetype at) { return at > 0 && text.at(at).isLowSurrogate(); }

// One line, no line ends: the longest catalogue prefix, else the longest catalogue suffix, and the
// rest in the same way, so a variable middle stays as it is.
QString TranslatePiece(const QString& piece) {
    if (!ContainsJapanese(piece)) return piece;
    if (auto whole = Find(piece)) return *whole;
    for (qsizetype n = piece.size() - 1; n > 0; --n) {
        if (SplitsCharacter(piece, n)) continue;
        if (auto head = Find(piece.left(n))) return *head + TranslatePiece(piece.mid(n));
    }
    for (qsizetype n = piece.size() - 1; n > 0; --n) {
        const qsizetype cut = piece.size() - n;
        if (SplitsCharacter(piece, cut)) continue;
        if (auto tail = Find(piece.mid(cut))) return TranslatePiece(piece.left(cut)) + *tail;
    }
    return piece;
}

struct Line {
    QString content;
    QString end;  // CR LF, CR, LF or nothing
};

QList<Line> SplitLines(const QString& text) {
    QList<Line> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n') continue;
        const qsizetype endLength = (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') ? 2 : 1;
        lines.append({text.mid(start, i - start), text.mid(i, endLength)});
        i += endLength - 1;
        start = i + 1;
    }
    if (start < text.size()) lines.append({text.mid(start), QString()});
    return lines;
}

}  // namespace

Language LanguageFromLocale(const QString& localeName) {
    // The language code is the leading letters: "ja_JP.UTF-8", "ja-JP", "ja@...", but not "jam".
    qsizetype end = 0;
    while (end < localeName.size() && localeName.at(end).isLetter()) ++end;
    return localeName.left(end).compare(QLatin1String("ja"), Qt::CaseInsensitive) == 0 ? Language::Japanese
                                                                                       : Language::English;
}

std::optional<Language> ParseLanguage(const QString& text) {
    if (text.compare(QLatin1String("ja"), Qt::CaseInsensitive) == 0) return Language::Japanese;
    if (text.compare(QLatin1String("en"), Qt::CaseInsensitive) == 0) return Language::English;
    return std::nullopt;
}

QString LanguageCode(Language language) {
    return language == Language::Japanese ? QStringLiteral("ja") : QStringLiteral("en");
}

bool UseLanguage(Language language) {
    if (language == Language::Japanese) {
        delete g_translator;  // its destructor takes it out of the application
        return true;
    }
    if (g_translator) return true;
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr) return false;
    auto* translator = new QTranslator(application);
    if (!translator->load(kCataloguePath) || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    g_translator = translator;
    return true;
}

Language CurrentLanguage() { return g_translator ? Language::English : Language::Japanese; }

QString Translate(const QString& text) {
    if (!g_translator || !ContainsJapanese(text)) return text;
    if (auto whole = Find(text)) return *whole;

    const QList<Line> lines = SplitLines(text);
    QString translated;
    for (qsizetype i = 0; i < lines.size();) {
        // The longest run of whole lines that is one catalogue text: a notice of several lines may sit
        // inside a longer message.
        std::optional<QString> run;
        qsizetype runLast = i;
        for (qsizetype last = lines.size() - 1; last >= i && !run; --last) {
            QString joined;
            for (qsizetype k = i; k < last; ++k) joined += lines[k].content + lines[k].end;
            joined += lines[last].content;
            runLast = last;
            if (auto withEnd = Find(joined + lines[last].end))
                run = *withEnd;
            else if (last > i)
                if (auto withoutEnd = Find(joined)) run = *withoutEnd + lines[last].end;
        }
        if (run) {
            translated += *run;
            i = runLast + 1;
            continue;
        }
        translated += TranslatePiece(lines[i].content) + lines[i].end;
        ++i;
    }
    return translated;
}

bool ContainsJapanese(const QString& text) {
    for (char32_t c : text.toUcs4())
        if (IsJapaneseCode(c)) return true;
    return false;
}

}  // namespace zendra::core
