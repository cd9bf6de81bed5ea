#pragma once
// A drawing of the writer's sockets and its ISP connector that shows where the selected chip goes:
// the matching socket is filled dark red, the others grey.

#include <QColor>
#include <QRect>
#include <QString>
#include <QWidget>
#include <array>
#include <optional>

namespace zendra::shell {

enum class Socket { DUT_40, DUT_28, DUT_20, DUT_20A, DUT_08 };
inline constexpr int kSocketCount = 5;

inline const QString kIndexCaption = QStringLiteral("デバイスインデックス");
inline const QColor kSocketIdle{128, 128, 128};
inline const QColor kSocketSelected{192, 0, 0};

// The socket for a selector text (compared on its first nine characters); nullopt when none fits.
std::optional<Socket> SocketForDevice(const QString& selectorText);

class FrmIndex final : public QWidget {
    Q_OBJECT
public:
    // Colours the sockets for `selectorText` at once.
    explicit FrmIndex(const QString& selectorText = {}, QWidget* parent = nullptr);

    // Recolours every socket for the selector's current text.
    void DUT_COLOR_CHANGE(const QString& selectorText);

    QColor FillColour(Socket socket) const;
    // Where the socket's outline is drawn, in widget pixels.
    QRect SocketRect(Socket socket) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<QColor, kSocketCount> m_fill;
};

}  // namespace zendra::shell
