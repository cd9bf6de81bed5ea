#pragma once
// The language the program speaks. Japanese is the texts as written; English comes from the one
// catalogue (translations/zendra_en.ts), looked up whenever a text is shown.

#include <QString>
#include <QStringList>
#include <optional>

namespace zendra::core {

enum class Language { Japanese, English };

// The catalogue's one context: every text is looked up as QCoreApplication::translate(kCatalogueContext,
// text).
inline constexpr char kCatalogueContext[] = "zendra";

// Japanese for a "ja" locale ("ja", "ja_JP", "ja-JP", "ja_JP.UTF-8"), English for every other.
Language LanguageFromLocale(const QString& localeName);
// "ja" or "en" (any letter case); nullopt for anything else.
std::optional<Language> ParseLanguage(const QString& text);
QString LanguageCode(Language language);

// Installs the catalogue's translator for English or removes it for Japanese, so that in Japanese
// every text stays byte for byte as written. Needs a QCoreApplication. False when the catalogue could
// not be loaded; the language then stays Japanese.
bool UseLanguage(Language language);
Language CurrentLanguage();

// A text composed in Japanese: `pattern` with %1, %2, ... replaced by `arguments` in one pass (an
// argument's own "%" stays). The pattern is a catalogue text, marked where it is written, or a plain
// layout such as "%1\r\n%2"; an argument is a value (a number, a path) or a text itself. The
// composition is remembered, so Translate() can show the same text in English: the pattern and each
// argument translated, then filled in again.
QString Compose(const QString& pattern, const QStringList& arguments);
// `texts` one after another with `separator` between them, as one composed text: a label and its
// value, or lines joined with CR LF.
QString JoinTexts(const QStringList& texts, const QString& separator = QString());

// `text` in the current language: in Japanese the text untouched; in English a composed text as
// Compose() made it, a catalogue text as the catalogue says, anything else as it is. Called where a
// text is shown, never earlier, so a switch takes effect at once.
QString Translate(const QString& text);

// True when `text` holds a character of the Japanese scripts, CJK punctuation or the full- and
// half-width forms.
bool ContainsJapanese(const QString& text);

}  // namespace zendra::core
