#pragma once
// Shows the user guide at its top: "zendra.hlp" (HTML, in Japanese, beside the program), or its English
// "zendra_en.hlp" when the program speaks English.

#include <QString>
#include <QWidget>
#include <optional>

#include "core/Language.h"
#include "shell/LiveText.h"

class QTextBrowser;

namespace zendra::shell {

inline const QString kHelpFileName = QStringLiteral("zendra.hlp");
inline const QString kEnglishHelpFileName = QStringLiteral("zendra_en.hlp");

// The help file in `language`: beside the program (`appDir`) first, else where an installation puts
// it (`programDir`/../share/zendra). Without an English file, the Japanese one; the Japanese one beside
// the program when there is none at all.
QString FindHelpFile(const QString& appDir, const QString& programDir,
                     core::Language language = core::Language::Japanese);
inline const QString kHelpCaption = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "New ZendraV6 ヘルプ"));

class HelpWindow final : public QWidget, public LanguageAware {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Loads the help file of the current language (see FindHelpFile) and scrolls to its top. When the
    // file cannot be read the view says so (naming the path) and the result is false.
    bool ShowHelpFile(const QString& appDir);
    // A shown guide is loaded again in the new language.
    void ShowInCurrentLanguage() override;

    QTextBrowser* Browser() const { return m_browser; }

private:
    std::optional<QString> m_appDir;  // of the guide last shown
    QTextBrowser* m_browser = nullptr;
};

}  // namespace zendra::shell
