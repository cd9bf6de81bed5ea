#pragma once
// The language the program speaks. Japanese is the texts as written; English comes from the one
// catalogue (translations/zendra_en.ts), looked up whenever a text is shown.

#include <QString>
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

// `text` in the current language. A text of the catalogue translates as a whole; a composed text
// translates line by line (CR LF, CR or LF), and a line the catalogue lacks as a whole keeps its
// variable part (a number, a hex code, a byte, a path, an address) between the longest catalogue
// pieces at either end. Texts carrying "%1" in the catalogue match any decimal number in its place.
QString Translate(const QString& text);

// True when `text` holds a character of the Japanese scripts, CJK punctuation or the full- and
// half-width forms.
bool ContainsJapanese(const QString& text);

}  // namespace zendra::core
