#pragma once
// The About box: title, version, description, a support line and a button that opens the support page.
// AboutBoxHost keeps the box between start-up and its first opening, and recreates it afterwards, so the
// first opening shows the support line and later ones the comments.

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <functional>

class QLabel;
class QPushButton;
class QFrame;

namespace zendra::shell {

inline const QString kAboutCaption = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "バージョン情報"));
inline const QString kSupportLinePrefix = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ｻﾎﾟｰﾄﾍﾟｰｼﾞ : "));

// Hands an address to the platform's default handler; tests record instead.
using UrlOpener = std::function<bool(const QUrl&)>;
UrlOpener DesktopUrlOpener();

// "Version 6.0.60"
QString VersionLabelText();

class FrmAbout final : public QDialog {
    Q_OBJECT
public:
    // Fills the labels from the program's version information (lblDisclaimer: the comments).
    explicit FrmAbout(QWidget* owner, UrlOpener opener = {});

    // lblDisclaimer := "ｻﾎﾟｰﾄﾍﾟｰｼﾞ : " + the support page address.
    void ShowSupportLine();
    void Command1_Click();
    void cmdOK_Click();

    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    QLabel* lblDisclaimer = nullptr;
    QLabel* lblStatic = nullptr;
    QLabel* picIcon = nullptr;
    QFrame* Line1 = nullptr;
    QFrame* Line2 = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* Command1 = nullptr;

    bool LastOpenResult() const { return m_lastOpenResult; }

private:
    UrlOpener m_opener;
    bool m_lastOpenResult = false;
};

class AboutBoxHost {
public:
    explicit AboutBoxHost(QWidget* owner, UrlOpener opener = {});
    ~AboutBoxHost();
    AboutBoxHost(const AboutBoxHost&) = delete;
    AboutBoxHost& operator=(const AboutBoxHost&) = delete;

    // Start-up: creates the box unshown with the support line; returns its version label text
    // (the main window's caption is "New Zendra " + this).
    QString Prepare();
    // Shows the box modally (creating it when absent); it is gone once closed.
    int Open();
    // The box while it exists (between Prepare and the end of an Open), else null.
    FrmAbout* Box() const { return m_box.data(); }

private:
    FrmAbout& Ensure();

    QPointer<QWidget> m_owner;
    UrlOpener m_opener;
    QPointer<FrmAbout> m_box;
};

}  // namespace zendra::shell
