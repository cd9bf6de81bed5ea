#include "shell/HelpWindow.h"

#include <QCoreApplication>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace zendra::shell {

namespace {
const QString kMissingTitle = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ヘルプファイルが見つかりません"));
const QString kMissingText =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra",
                                     "ヘルプファイル「%1」を開けませんでした。"
                                     "プログラムと同じフォルダに zendra.hlp があるか確認してください。"));
constexpr int kDefaultWidth = 760;
constexpr int kDefaultHeight = 640;
}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpWindow"));
    ShowText(this, kHelpCaption, TextSlot::WindowTitle);
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("txtHelp"));
    // Links inside the guide jump to its own anchors; outside addresses go to the browser.
    m_browser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(kDefaultWidth, kDefaultHeight);
}

QString FindHelpFile(const QString& appDir, const QString& programDir, core::Language language) {
    QStringList names{kHelpFileName};
    if (language == core::Language::English) names.prepend(kEnglishHelpFileName);
    for (const QString& name : names) {
        const QString beside = appDir + name;
        if (QFileInfo(beside).isFile()) return beside;
        // An installed program keeps its help in the share folder beside its bin folder.
        const QString installed = QDir(programDir).absoluteFilePath(QStringLiteral("../share/zendra/") + name);
        if (QFileInfo(installed).isFile()) return QDir::cleanPath(installed);
    }
    return appDir + kHelpFileName;
}

void HelpWindow::ShowInCurrentLanguage() {
    if (m_appDir) ShowHelpFile(*m_appDir);
}

bool HelpWindow::ShowHelpFile(const QString& appDir) {
    m_appDir = appDir;
    const QString path = FindHelpFile(appDir, QCoreApplication::applicationDirPath(), core::CurrentLanguage());
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        // Escaped: the path is the user's and may hold markup characters.
        m_browser->setHtml(QStringLiteral("<h2>%1</h2><p>%2</p>")
                               .arg(core::Translate(kMissingTitle).toHtmlEscaped(),
                                    core::Translate(kMissingText)
                                        .arg(QDir::toNativeSeparators(path))
                                        .toHtmlEscaped()));
        return false;
    }
    const QString html = QStringDecoder(QStringDecoder::Utf8).decode(file.readAll());
    m_browser->setSearchPaths({QFileInfo(path).absolutePath()});
    m_browser->setHtml(html);
    m_browser->moveCursor(QTextCursor::Start);
    m_browser->ensureCursorVisible();
    return true;
}

}  // namespace zendra::shell
