#include "shell/FrmAbout.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "core/Language.h"
#include "core/Product.h"
#include "core/Settings.h"
#include "shell/LiveText.h"
#include "shell/ShellTexts.h"

namespace zendra::shell {

namespace {
const QString kSupportCaption = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "サポートホームページへジャンプ"));
// What the version information of the program says about itself.
const QString kFileDescription =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "KX-WRT540 AVRライター用 書込みソフトウェア"));
const QString kComments =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra",
                                     "AT90S／ATtinyシリーズのフラッシュ、EEPROM、Lock/Fuseビットを"
                                     "シリアルポート経由で書込み・読出し・ベリファイします。"));
const QString kStaticText =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra",
                                     "本ソフトウェアの使用により生じたいかなる損害についても、"
                                     "作者は責任を負いません。"));
}  // namespace

UrlOpener DesktopUrlOpener() {
    return [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

QString VersionLabelText() { return core::kVersionLabel; }

FrmAbout::FrmAbout(QWidget* owner, UrlOpener opener)
    : QDialog(owner), m_opener(opener ? std::move(opener) : DesktopUrlOpener()) {
    setObjectName(QStringLiteral("frmAbout"));
    ShowText(this, kAboutCaption, TextSlot::WindowTitle);
    setModal(true);

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    const QIcon icon = QApplication::windowIcon().isNull() ? style()->standardIcon(QStyle::SP_ComputerIcon)
                                                           : QApplication::windowIcon();
    picIcon->setPixmap(icon.pixmap(48, 48));
    picIcon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto makeLabel = [this](const char* name) {
        auto* label = new QLabel(this);
        label->setObjectName(QString::fromLatin1(name));
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return label;
    };
    lblTitle = makeLabel("lblTitle");
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblVersion = makeLabel("lblVersion");
    lblDescription = makeLabel("lblDescription");
    lblDisclaimer = makeLabel("lblDisclaimer");
    lblStatic = makeLabel("lblStatic");
    ShowText(lblStatic, kStaticText);

    auto makeLine = [this](const char* name) {
        auto* line = new QFrame(this);
        line->setObjectName(QString::fromLatin1(name));
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        return line;
    };
    Line1 = makeLine("Line1");
    Line2 = makeLine("Line2");

    cmdOK = WithText(new QPushButton(this), texts::kCloseCaption);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    Command1 = WithText(new QPushButton(this), kSupportCaption);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setAutoDefault(false);
    connect(cmdOK, &QPushButton::clicked, this, &FrmAbout::cmdOK_Click);
    connect(Command1, &QPushButton::clicked, this, &FrmAbout::Command1_Click);

    auto* texts = new QVBoxLayout;
    texts->addWidget(lblTitle);
    texts->addWidget(lblVersion);
    texts->addWidget(lblDescription);
    auto* head = new QHBoxLayout;
    head->addWidget(picIcon, 0);
    head->addLayout(texts, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command1);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(Line1);
    layout->addWidget(lblDisclaimer);
    layout->addWidget(Line2);
    layout->addWidget(lblStatic);
    layout->addLayout(buttons);
    setMinimumWidth(420);

    // Filled each time the box is created.
    ShowText(lblVersion, VersionLabelText());
    ShowText(lblTitle, core::kApplicationTitle);
    ShowText(lblDescription, kFileDescription);
    ShowText(lblDisclaimer, kComments);
}

void FrmAbout::ShowSupportLine() {
    ShowText(lblDisclaimer, core::JoinTexts({kSupportLinePrefix, core::kSupportPageAddress}));
}

void FrmAbout::Command1_Click() { m_lastOpenResult = m_opener(QUrl(core::kSupportPageAddress)); }

void FrmAbout::cmdOK_Click() { accept(); }

AboutBoxHost::AboutBoxHost(QWidget* owner, UrlOpener opener) : m_owner(owner), m_opener(std::move(opener)) {}

AboutBoxHost::~AboutBoxHost() { delete m_box.data(); }

FrmAbout& AboutBoxHost::Ensure() {
    if (!m_box) m_box = new FrmAbout(m_owner.data(), m_opener);
    return *m_box;
}

QString AboutBoxHost::Prepare() {
    FrmAbout& box = Ensure();
    box.ShowSupportLine();
    return box.lblVersion->text();
}

int AboutBoxHost::Open() {
    FrmAbout& box = Ensure();
    const int result = box.exec();
    // Closing unloads the box: the next opening builds it afresh, with the comments line.
    delete m_box.data();
    return result;
}

}  // namespace zendra::shell
