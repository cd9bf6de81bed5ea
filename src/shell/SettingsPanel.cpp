#include "shell/SettingsPanel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "core/Language.h"
#include "image/BufferEdit.h"
#include "shell/LiveText.h"
#include "shell/ShellTexts.h"

namespace zendra::shell {

namespace {

using core::PanelControl;

struct FuseRow {
    PanelControl control;
    const char* comboName;
    const char* labelName;
    const char* caption;
    const char* tip;  // UTF-8; empty for none
};

// The ten fuse choices in their frame, with the label captions and tool tips they always carry.
constexpr FuseRow kFuseRows[] = {
    {PanelControl::CKSEL, "Combo_CKSEL", "Lbl_CKSEL", "CKSEL",
     QT_TRANSLATE_NOOP("zendra", "リセットディレイセレクト　CKS[ Msb...Lsb ]")},
    {PanelControl::SUT, "Combo_SUT", "Lbl_SUT", "SUT",
     QT_TRANSLATE_NOOP("zendra", "スタートアップタイムセレクト　[ Msb...Lsb ]")},
    {PanelControl::BODEN, "Combo_BODEN", "Lbl_BODEN", "BODEN",
     QT_TRANSLATE_NOOP("zendra", "ＢＯＤ有効ビット")},
    {PanelControl::BODLEVEL, "Combo_BODLEVEL", "Lbl_BODLEVEL", "BODLEVEL",
     QT_TRANSLATE_NOOP("zendra", "ＢＯＤレベル")},
    {PanelControl::RSTDISABL, "Combo_RSTDISABL", "Lbl_RSTDISABL", "RSTDISBL",
     QT_TRANSLATE_NOOP("zendra", "ＰＢ５端子、リセット機能無効ビット")},
    {PanelControl::EESAVE, "Combo_EESAVE", "Lbl_EESAVE", "EESAVE", ""},
    {PanelControl::CKOPT, "Combo_CKOPT", "Lbl_CKOPT", "CKOPT", ""},
    {PanelControl::PLLCK, "Combo_PLLCK", "Lbl_PLLCK", "PLLCK", ""},
    {PanelControl::FSTRT, "Combo_FSTRT", "Lbl_FSTRT", "FSTRT",
     QT_TRANSLATE_NOOP("zendra", "ファーストスタートアップ有効ビット")},
    {PanelControl::RCEN, "Combo_RCEN", "Lbl_RCEN", "RCEN",
     QT_TRANSLATE_NOOP("zendra", "ＲＣオシレータ有効ビット")},
};

template <class W>
W* Named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A frame's layout with narrow margins: the whole panel must fit a screen's height where the desktop font
// runs tall (a CJK font's lines are a fifth higher), with no scroll bar.
template <class L>
L* Tight(L* layout) {
    layout->setContentsMargins(6, 3, 6, 3);
    return layout;
}

QComboBox* ListOnlyCombo(QWidget* parent, const char* name) {
    auto* combo = Named(new QComboBox(parent), name);
    combo->setEditable(false);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return combo;
}

}  // namespace

SettingsPanel::SettingsPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Picture1"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);

    // Button bar.
    auto* buttons = new QGridLayout;
    buttons->setSpacing(2);
    struct ButtonRow {
        QPushButton** slot;
        const char* name;
        const QString& caption;
    };
    const ButtonRow buttonRows[] = {
        {&Cmd_btn_open, "Cmd_btn_open", texts::kOpen},
        {&Cmd_btn_save, "Cmd_btn_save", texts::kSave},
        {&Cmd_btn_reload, "Cmd_btn_reload", texts::kReload},
        {&Cmd_btn_comselect, "Cmd_btn_comselect", texts::kComSelect},
        {&Cmd_btn_erase, "Cmd_btn_erase", texts::kErase},
        {&Cmd_btn_verify, "Cmd_btn_verify", texts::kVerify},
        {&Cmd_btn_read, "Cmd_btn_read", texts::kRead},
        {&Cmd_btn_program, "Cmd_btn_program", texts::kProgram},
    };
    int position = 0;
    for (const auto& row : buttonRows) {
        *row.slot = Named(WithText(new QPushButton(this), row.caption), row.name);
        // Three to a row: the settings window is 4100 twips wide, and nothing may need side scrolling.
        buttons->addWidget(*row.slot, position / 3, position % 3);
        ++position;
    }
    ShowText(Cmd_btn_reload, texts::kReloadTip, TextSlot::ToolTip);
    layout->addLayout(buttons);

    // Device frame.
    Frame1 = Named(WithText(new QGroupBox(this), texts::kDeviceFrame), "Frame1");
    auto* deviceLayout = Tight(new QVBoxLayout(Frame1));
    Combo_device = ListOnlyCombo(Frame1, "Combo_device");
    Label3 = Named(WithText(new QLabel(Frame1), texts::kLabel3Initial), "Label3");
    Label4 = Named(WithText(new QLabel(Frame1), texts::kLabel4Initial), "Label4");
    deviceLayout->addWidget(Combo_device);
    deviceLayout->addWidget(Label3);
    deviceLayout->addWidget(Label4);
    layout->addWidget(Frame1);

    // Buffer-edit frame; it appears once a device has been selected.
    frmModify = Named(WithText(new QGroupBox(this), texts::kModifyFrame), "frmModify");
    auto* modifyLayout = Tight(new QGridLayout(frmModify));
    Label1 = Named(WithText(new QLabel(frmModify), texts::kLabel1), "Label1");
    Label2 = Named(WithText(new QLabel(frmModify), texts::kLabel2), "Label2");
    txtAddress = Named(new QLineEdit(texts::kAddressInitial, frmModify), "txtAddress");
    txtData = Named(new QLineEdit(texts::kDataInitial, frmModify), "txtData");
    for (QLineEdit* box : {txtAddress, txtData}) {
        box->setMaxLength(image::kBufferEditMaxChars);
        box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("WWWWWW")));
    }
    OptionProgram = Named(WithText(new QRadioButton(frmModify), texts::kOptionProgram), "OptionProgram");
    OptionEeprom = Named(WithText(new QRadioButton(frmModify), texts::kOptionEeprom), "OptionEeprom");
    OptionProgram->setChecked(true);
    CmdRead = Named(WithText(new QPushButton(frmModify), texts::kCmdRead), "CmdRead");
    CmdWrite = Named(WithText(new QPushButton(frmModify), texts::kCmdWrite), "CmdWrite");
    Label5 = Named(WithText(new QLabel(frmModify), texts::kLabel5), "Label5");
    Label5->setWordWrap(true);
    modifyLayout->addWidget(Label1, 0, 0);
    modifyLayout->addWidget(txtAddress, 0, 1);
    modifyLayout->addWidget(Label2, 1, 0);
    modifyLayout->addWidget(txtData, 1, 1);
    auto* options = new QHBoxLayout;
    options->addWidget(OptionProgram);
    options->addWidget(OptionEeprom);
    options->addStretch(1);
    modifyLayout->addLayout(options, 2, 0, 1, 2);
    auto* cellButtons = new QHBoxLayout;
    cellButtons->addWidget(CmdRead);
    cellButtons->addWidget(CmdWrite);
    modifyLayout->addLayout(cellButtons, 3, 0, 1, 2);
    modifyLayout->addWidget(Label5, 4, 0, 1, 2);
    modifyLayout->setColumnStretch(2, 1);
    frmModify->setVisible(false);
    layout->addWidget(frmModify);

    // Lock/fuse frame.
    Frame4 = Named(WithText(new QGroupBox(this), texts::kLockFuseFrame), "Frame4");
    auto* lockFuseLayout = Tight(new QVBoxLayout(Frame4));
    Frame2 = Named(WithText(new QGroupBox(Frame4), texts::kFuseFrame), "Frame2");
    auto* fuseLayout = Tight(new QGridLayout(Frame2));
    fuseLayout->setHorizontalSpacing(4);
    fuseLayout->setVerticalSpacing(2);
    int row = 0;
    for (const auto& fuse : kFuseRows) {
        auto* label = Named(WithText(new QLabel(Frame2), QString::fromLatin1(fuse.caption)), fuse.labelName);
        auto* combo = ListOnlyCombo(Frame2, fuse.comboName);
        const QString tip = QString::fromUtf8(fuse.tip);
        if (!tip.isEmpty()) ShowText(combo, tip, TextSlot::ToolTip);
        m_panel[static_cast<int>(fuse.control)] = combo;
        // Two columns, each label above its choice, keep the frame narrow enough for the settings window.
        const int column = row % 2;
        fuseLayout->addWidget(label, (row / 2) * 2, column);
        fuseLayout->addWidget(combo, (row / 2) * 2 + 1, column);
        ++row;
    }
    lockFuseLayout->addWidget(Frame2);
    Lbl_FILECHOICES = Named(new QLabel(Frame4), "Lbl_FILECHOICES");
    Lbl_FILECHOICES->setWordWrap(true);
    Lbl_FILECHOICES->setVisible(false);
    lockFuseLayout->addWidget(Lbl_FILECHOICES);

    auto* lockRow = new QHBoxLayout;
    Frame3 = Named(WithText(new QGroupBox(Frame4), texts::kLockFrame), "Frame3");
    auto* lockLayout = Tight(new QHBoxLayout(Frame3));
    Label6 = Named(WithText(new QLabel(Frame3), texts::kLockLabel), "Label6");
    Combo_LockBit = ListOnlyCombo(Frame3, "Combo_LockBit");
    m_panel[static_cast<int>(PanelControl::LockBit)] = Combo_LockBit;
    lockLayout->addWidget(Label6);
    lockLayout->addWidget(Combo_LockBit, 1);
    Frame5 = Named(WithText(new QGroupBox(Frame4), texts::kCalibFrame), "Frame5");
    auto* calibLayout = Tight(new QHBoxLayout(Frame5));
    Lbl_READCALIB = Named(new QLabel(QStringLiteral("-"), Frame5), "Lbl_READCALIB");
    ShowText(Lbl_READCALIB, texts::kCalibTip, TextSlot::ToolTip);
    Lbl_READCALIB->setAlignment(Qt::AlignCenter);
    calibLayout->addWidget(Lbl_READCALIB);
    lockFuseLayout->addWidget(Frame3);
    lockRow->addWidget(Frame5, 1);
    lockFuseLayout->addLayout(lockRow);

    // The two buttons stacked beside the calibration display keep the frame narrow.
    auto* fuseButtons = new QVBoxLayout;
    cmdFuseRead = Named(WithText(new QPushButton(Frame4), texts::kFuseRead), "cmdFuseRead");
    cmdFuseWrite = Named(WithText(new QPushButton(Frame4), texts::kFuseWrite), "cmdFuseWrite");
    fuseButtons->addWidget(cmdFuseRead);
    fuseButtons->addWidget(cmdFuseWrite);
    lockRow->addLayout(fuseButtons, 0);
    layout->addWidget(Frame4);
    layout->addStretch(1);
    m_accepted.fill(-1);
    Wire();
}

void SettingsPanel::Wire() {
    const std::pair<QPushButton*, PanelCommand> buttons[] = {
        {Cmd_btn_open, PanelCommand::Open},     {Cmd_btn_save, PanelCommand::Save},
        {Cmd_btn_reload, PanelCommand::Reload}, {Cmd_btn_comselect, PanelCommand::ComSelect},
        {Cmd_btn_erase, PanelCommand::Erase},   {Cmd_btn_verify, PanelCommand::Verify},
        {Cmd_btn_read, PanelCommand::Read},     {Cmd_btn_program, PanelCommand::Program},
        {cmdFuseRead, PanelCommand::FuseRead},  {cmdFuseWrite, PanelCommand::FuseWrite},
    };
    for (const auto& [button, command] : buttons)
        connect(button, &QPushButton::clicked, this,
                [this, command = command] { Q_EMIT commandClicked(command); });
    connect(Combo_device, &QComboBox::activated, this, &SettingsPanel::deviceActivated);
    for (int i = 0; i < core::kPanelControlCount; ++i) {
        const auto control = static_cast<PanelControl>(i);
        connect(m_panel[i], &QComboBox::activated, this,
                [this, control] { Q_EMIT choiceActivated(control); });
    }
    connect(txtAddress, &QLineEdit::textChanged, this, &SettingsPanel::addressEdited);
    connect(CmdRead, &QPushButton::clicked, this, &SettingsPanel::readCellClicked);
    connect(CmdWrite, &QPushButton::clicked, this, &SettingsPanel::writeCellClicked);
}

void SettingsPanel::FillDevices(const QStringList& names) {
    const QSignalBlocker blocker(Combo_device);
    ShowItems(Combo_device, names);
}

void SettingsPanel::SetDeviceIndex(int index) {
    const QSignalBlocker blocker(Combo_device);
    Combo_device->setCurrentIndex(index);
}

int SettingsPanel::DeviceIndex() const { return Combo_device->currentIndex(); }

QString SettingsPanel::DeviceText() const {
    // The catalogue's name, whatever language the list is shown in.
    const QStringList names = ItemSources(Combo_device);
    const int index = Combo_device->currentIndex();
    return index >= 0 && index < names.size() ? names.at(index) : Combo_device->currentText();
}

void SettingsPanel::ShowDeviceSizes(qint32 words, qint32 bytes) {
    ShowText(Label3, core::Compose(texts::kProgramSize, {QString::number(words)}));
    ShowText(Label4, core::Compose(texts::kEepromSize, {QString::number(bytes)}));
}

void SettingsPanel::ApplySetup(const devices::PanelDefaults& setup) {
    // Hidden while it is rebuilt, so no half-filled frame is ever drawn.
    Frame2->setVisible(false);
    Lbl_FILECHOICES->setVisible(false);
    for (int i = 0; i < core::kPanelControlCount; ++i) {
        QComboBox* combo = m_panel[i];
        const devices::ControlFill& fill = setup.controls[i];
        const QSignalBlocker blocker(combo);
        ShowItems(combo, fill.entries);
        combo->setCurrentIndex(fill.index);
        combo->setEnabled(fill.enabled);
        m_accepted[i] = combo->currentIndex();
    }
    ShowText(Lbl_READCALIB, setup.calibration);
    Combo_LockBit->setVisible(setup.lockVisible);
    cmdFuseRead->setEnabled(setup.readEnabled);
    cmdFuseWrite->setEnabled(setup.writeEnabled);
    Frame2->setVisible(true);
}

devices::PanelIndexes SettingsPanel::Choices() const {
    devices::PanelIndexes indexes{};
    for (int i = 0; i < core::kPanelControlCount; ++i) indexes[i] = m_panel[i]->currentIndex();
    return indexes;
}

void SettingsPanel::SetChoice(PanelControl control, int index) {
    QComboBox* combo = Panel(control);
    const QSignalBlocker blocker(combo);
    combo->setCurrentIndex(index);
    m_accepted[static_cast<int>(control)] = combo->currentIndex();
}

void SettingsPanel::ApplyChoices(const devices::PanelIndexes& choices) {
    Frame2->setVisible(false);
    Lbl_FILECHOICES->setVisible(false);
    for (int i = 0; i < core::kPanelControlCount; ++i) SetChoice(static_cast<PanelControl>(i), choices[i]);
    Frame2->setVisible(true);
}

int SettingsPanel::AcceptedChoice(PanelControl control) const {
    return m_accepted[static_cast<int>(control)];
}

void SettingsPanel::AcceptChoice(PanelControl control) {
    m_accepted[static_cast<int>(control)] = Panel(control)->currentIndex();
}

void SettingsPanel::ShowFileChoices(const devices::PanelIndexes& choices, const QString& fileName) {
    ApplyChoices(choices);
    ShowText(Lbl_FILECHOICES, core::JoinTexts({texts::kFileChoicesMark, fileName}));
    const bool added = Lbl_FILECHOICES->isHidden();
    Lbl_FILECHOICES->setVisible(true);
    if (added) Q_EMIT grew();
}

void SettingsPanel::SetCalibrationText(const QString& text) { ShowText(Lbl_READCALIB, text); }

image::BufferEditInput SettingsPanel::BufferInput() const {
    return {txtAddress->text(), txtData->text(), OptionProgram->isChecked()};
}

void SettingsPanel::SetBufferData(const QString& text) { txtData->setText(text); }

void SettingsPanel::ShowBufferEdit() { frmModify->setVisible(true); }

}  // namespace zendra::shell
