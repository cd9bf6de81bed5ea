#pragma once
// Shows the user guide "zendra.hlp" (HTML in Japanese, beside the program) at its top.

#include <QString>
#include <QWidget>

class QTextBrowser;

namespace zendra::shell {

inline const QString kHelpFileName = QStringLiteral("zendra.hlp");

// The help file: beside the program (`appDir`) first, else where an installation puts it
// (`programDir`/../share/zendra); the first of them when neither exists.
QString FindHelpFile(const QString& appDir, const QString& programDir);
inline const QString kHelpCaption = QStringLiteral("New ZendraV6 ヘルプ");

class HelpWindow final : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Loads appDir + "zendra.hlp" and scrolls to its top. When the file cannot be read the view says so
    // (naming the path) and the result is false.
    bool ShowHelpFile(const QString& appDir);

    QTextBrowser* Browser() const { return m_browser; }

private:
    QTextBrowser* m_browser = nullptr;
};

}  // namespace zendra::shell
