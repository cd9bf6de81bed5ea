#pragma once
// A drawing of the writer's sockets and its ISP connector that shows where the selected chip goes:
// the matching socket is filled dark red, the others grey.

#include <QColor>
#include <QRect>
#include <QString>
#include <QWidget>
#include <array>
#include <optional>

#include "devices/Catalogue.h"
#include "shell/LiveText.h"

namespace zendra::shell {

using devices::Socket;
using devices::kSocketCount;

inline const QString kIndexCaption = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "デバイスインデックス"));
inline const QColor kSocketIdle{128, 128, 128};
inline const QColor kSocketSelected{192, 0, 0};


class FrmIndex final : public QWidget, public LanguageAware {
    Q_OBJECT
public:
    // Colours the sockets for `selectorText` at once.
    explicit FrmIndex(const devices::Device* device = nullptr, QWidget* parent = nullptr);

    // Recolours every socket for the selected device (null: none is red).
    void DUT_COLOR_CHANGE(const devices::Device* device);

    QColor FillColour(Socket socket) const;
    // Where the socket's outline is drawn, in widget pixels.
    QRect SocketRect(Socket socket) const;

    QSize sizeHint() const override;
    // The drawing's words as they are painted now: the ISP connector's title, then the notes.
    static QStringList Words();
    void ShowInCurrentLanguage() override { update(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<QColor, kSocketCount> m_fill;
};

}  // namespace zendra::shell
