#include "shell/FrmIndex.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "core/Language.h"

namespace zendra::shell {

namespace {

// The drawing is laid out on a fixed grid and scaled to the window, keeping its proportions.
constexpr int kDesignWidth = 680;
constexpr int kDesignHeight = 500;
constexpr int kTextSize = 12;  // grid units
constexpr int kPinPitch = 12;
constexpr int kSocketWidth = 56;
constexpr int kSocketTop = 78;

// Left to right, as devices::SocketPlace counts them.
struct SocketShape {
    Socket socket;
    int pins;
    int left;
};
constexpr SocketShape kShapes[kSocketCount] = {
    {Socket::DUT_40, 40, 30},  {Socket::DUT_28, 28, 110}, {Socket::DUT_20, 20, 190},
    {Socket::DUT_20A, 20, 270}, {Socket::DUT_08, 8, 350},
};

QRect DesignSocketRect(const SocketShape& shape) {
    return {shape.left, kSocketTop, kSocketWidth, shape.pins / 2 * kPinPitch + 8};
}

const QString kIspTitle = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ISPコネクタ"));
// Pin 1 top left; odd pins on the left column, even pins on the right.
const QString kIspLeftPins[] = {QStringLiteral("VCC+5V"), QStringLiteral("SCK"), QStringLiteral("MISO"),
                                QStringLiteral("MOSI"), QStringLiteral("RESET")};
const QString kIspRightPins[] = {QStringLiteral("XTAL1"), QStringLiteral("GND"), QStringLiteral("N/C"),
                                 QStringLiteral("N/C"), QStringLiteral("N/C")};
const QString kJumperXtal = QStringLiteral("XTAL1 SEL");
const QString kJumperVcc = QStringLiteral("VCC SEL");
const QString kNotes[] = {
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ISPコネクタでのプログラミング：")),
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ISPコネクタ経由の使用は動作保障しておりません。")),
    QStringLiteral(QT_TRANSLATE_NOOP(
        "zendra",
        "ターゲットボード側からＶＣＣを供給するときは　\"ＶＣＣ SEL\"ジャンパーを外してください。")),
    QStringLiteral(QT_TRANSLATE_NOOP(
        "zendra", "ターゲットボード側に発振回路があるときは　\"XTAL SEL\"ジャンパーを外してください。")),
};

const QColor kBoardColour{0, 96, 48};
const QColor kInkColour{255, 255, 255};
const QColor kPinColour{220, 200, 120};

}  // namespace

FrmIndex::FrmIndex(const devices::Device* device, QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmIndex"));
    ShowText(this, kIndexCaption, TextSlot::WindowTitle);
    setWindowModality(Qt::NonModal);
    m_fill.fill(kSocketIdle);
    DUT_COLOR_CHANGE(device);
    resize(sizeHint());
}

void FrmIndex::DUT_COLOR_CHANGE(const devices::Device* device) {
    m_fill.fill(kSocketIdle);
    if (device) m_fill[static_cast<int>(device->socket)] = kSocketSelected;
    update();
}

QColor FrmIndex::FillColour(Socket socket) const { return m_fill[static_cast<int>(socket)]; }

QSize FrmIndex::sizeHint() const {
    // Grid text of 12 units at the widget's own font height keeps every label readable.
    const double scale = std::max(1.0, fontMetrics().height() / double(kTextSize + 4));
    return QSize(kDesignWidth, kDesignHeight) * scale;
}

namespace {
QTransform DesignTransform(const QSize& widgetSize) {
    const double scale =
        std::min(widgetSize.width() / double(kDesignWidth), widgetSize.height() / double(kDesignHeight));
    const double dx = (widgetSize.width() - kDesignWidth * scale) / 2;
    const double dy = (widgetSize.height() - kDesignHeight * scale) / 2;
    QTransform transform;
    transform.translate(dx, dy);
    transform.scale(scale, scale);
    return transform;
}
}  // namespace

QRect FrmIndex::SocketRect(Socket socket) const {
    for (const SocketShape& shape : kShapes)
        if (shape.socket == socket) return DesignTransform(size()).mapRect(DesignSocketRect(shape));
    return {};
}

QStringList FrmIndex::Words() {
    QStringList words{core::Translate(kIspTitle)};
    for (const QString& note : kNotes) words << core::Translate(note);
    return words;
}

void FrmIndex::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), palette().window());
    painter.setTransform(DesignTransform(size()));

    QFont font = this->font();
    font.setPixelSize(kTextSize);
    painter.setFont(font);

    // The writer's board.
    const QRect board(10, 10, kDesignWidth - 20, 350);
    painter.setPen(QPen(Qt::black, 2));
    painter.setBrush(kBoardColour);
    painter.drawRoundedRect(board, 10, 10);

    // Sockets: the outline filled with the socket's colour, pins down both sides, pin 1 notch at the top.
    for (const SocketShape& shape : kShapes) {
        const QRect outline = DesignSocketRect(shape);
        painter.setPen(QPen(Qt::black, 1.5));
        painter.setBrush(m_fill[static_cast<int>(shape.socket)]);
        painter.drawRect(outline);
        painter.setBrush(kBoardColour);
        painter.drawChord(QRect(outline.center().x() - 7, outline.top() - 7, 14, 14), 180 * 16, 180 * 16);
        painter.setBrush(kPinColour);
        for (int i = 0; i < shape.pins / 2; ++i) {
            const int y = outline.top() + 6 + i * kPinPitch;
            painter.drawRect(outline.left() + 4, y, 6, 6);
            painter.drawRect(outline.right() - 10, y, 6, 6);
        }
        painter.setPen(kInkColour);
        painter.drawText(QRect(outline.left() - 10, kSocketTop - 30, kSocketWidth + 20, 18), Qt::AlignCenter,
                         devices::SocketLabel(shape.socket));
    }

    // ISP connector: two columns of five pins with their names outside.
    const int ispLeft = 520;
    const int ispTop = 78;
    const int ispPitch = 20;
    painter.setPen(kInkColour);
    const QStringList words = Words();
    painter.drawText(QRect(ispLeft - 60, ispTop - 30, 160, 18), Qt::AlignCenter, words.first());
    painter.setPen(QPen(Qt::black, 1.5));
    painter.setBrush(QColor(40, 40, 40));
    painter.drawRect(ispLeft, ispTop, 2 * ispPitch + 4, 5 * ispPitch + 4);
    for (int row = 0; row < 5; ++row) {
        const int y = ispTop + 5 + row * ispPitch;
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(kPinColour);
        painter.drawRect(ispLeft + 5, y, 12, 12);
        painter.drawRect(ispLeft + 5 + ispPitch, y, 12, 12);
        painter.setPen(kInkColour);
        painter.drawText(QRect(ispLeft - 84, y - 3, 80, 18), Qt::AlignRight | Qt::AlignVCenter,
                         kIspLeftPins[row]);
        painter.drawText(QRect(ispLeft + 2 * ispPitch + 10, y - 3, 80, 18), Qt::AlignLeft | Qt::AlignVCenter,
                         kIspRightPins[row]);
    }

    // Jumpers: three pins with the shorting cap across two.
    auto drawJumper = [&painter](int left, int top, const QString& name) {
        painter.setPen(kInkColour);
        painter.drawText(QRect(left, top, 110, 18), Qt::AlignLeft | Qt::AlignVCenter, name);
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(kPinColour);
        for (int i = 0; i < 3; ++i) painter.drawRect(left + 4 + i * 18, top + 22, 10, 10);
        painter.setBrush(QColor(30, 30, 160));
        painter.drawRect(left, top + 19, 32, 16);
    };
    drawJumper(470, 230, kJumperXtal);
    drawJumper(580, 230, kJumperVcc);

    // Notes under the board.
    painter.setPen(palette().windowText().color());
    int y = board.bottom() + 14;
    for (const QString& note : words.mid(1)) {
        painter.drawText(QRect(16, y, kDesignWidth - 32, 20), Qt::AlignLeft | Qt::AlignVCenter, note);
        y += 28;
    }
}

}  // namespace zendra::shell
