#include "core/Language.h"

#include <QCoreApplication>
#include <QHash>
#include <QMutex>
#include <QPointer>
#include <QQueue>
#include <QTranslator>

namespace zendra::core {

namespace {

const QString kCataloguePath = QStringLiteral(":/i18n/zendra_en.qm");

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

struct Composition {
    QString pattern;
    QStringList arguments;
};

// The compositions of the texts that may still be on the screen, by their Japanese text. Texts are
// composed on operation threads and shown on the windows' thread. The oldest are forgotten first; a
// forgotten text still shows, in Japanese.
constexpr qsizetype kRememberedCompositions = 8192;
QMutex g_compositionsMutex;
QHash<QString, Composition> g_compositions;
QQueue<QString> g_compositionOrder;

// A composition's arguments are texts themselves, composed earlier; this bounds a chain of them.
constexpr int kDeepestComposition = 16;

QString Fill(const QString& pattern, const QStringList& arguments) {
    QString filled;
    filled.reserve(pattern.size());
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c == u'%' && i + 1 < pattern.size() && pattern.at(i + 1).isDigit()) {
            qsizetype end = i + 1;
            int number = 0;
            while (end < pattern.size() && end < i + 3 && pattern.at(end).isDigit())
                number = number * 10 + pattern.at(end++).digitValue();
            if (number >= 1 && number <= arguments.size()) {
                filled += arguments.at(number - 1);
                i = end - 1;
                continue;
            }
        }
        filled += c;
    }
    return filled;
}

std::optional<Composition> FindComposition(const QString& text) {
    const QMutexLocker lock(&g_compositionsMutex);
    const auto found = g_compositions.constFind(text);
    if (found == g_compositions.constEnd()) return std::nullopt;
    return *found;
}

QString TranslateAt(const QString& text, int depth) {
    if (depth < kDeepestComposition)
        if (const std::optional<Composition> composed = FindComposition(text)) {
            QStringList arguments;
            for (const QString& argument : composed->arguments) arguments << TranslateAt(argument, depth + 1);
            return Fill(TranslateAt(composed->pattern, depth + 1), arguments);
        }
    if (!ContainsJapanese(text)) return text;
    const QByteArray utf8 = text.toUtf8();
    return QCoreApplication::translate(kCatalogueContext, utf8.constData());
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

QString Compose(const QString& pattern, const QStringList& arguments) {
    QString text = Fill(pattern, arguments);
    // Only a text that reads differently in English needs remembering; one that is its own pattern or
    // argument is looked up as it is.
    if (!ContainsJapanese(text) || text == pattern || arguments.contains(text)) return text;
    const QMutexLocker lock(&g_compositionsMutex);
    if (!g_compositions.contains(text)) {
        g_compositionOrder.enqueue(text);
        if (g_compositionOrder.size() > kRememberedCompositions)
            g_compositions.remove(g_compositionOrder.dequeue());
    }
    g_compositions.insert(text, {pattern, arguments});
    return text;
}

QString JoinTexts(const QStringList& texts, const QString& separator) {
    // A placeholder has at most two digits.
    if (texts.size() > 99) return texts.join(separator);
    QString pattern;
    for (qsizetype i = 0; i < texts.size(); ++i)
        pattern += (i == 0 ? QString() : separator) + QLatin1Char('%') + QString::number(i + 1);
    return Compose(pattern, texts);
}

QString Translate(const QString& text) {
    if (!g_translator) return text;
    return TranslateAt(text, 0);
}

bool ContainsJapanese(const QString& text) {
    for (char32_t c : text.toUcs4())
        if (IsJapaneseCode(c)) return true;
    return false;
}

}  // namespace zendra::core
