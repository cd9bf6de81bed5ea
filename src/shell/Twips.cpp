#include "shell/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace zendra::shell {

namespace {
// What Windows and X11 report without scaling; also the answer when no screen exists.
constexpr double kFallbackDpi = 96.0;
}  // namespace

double LogicalDpi(const QWidget* widget) {
    const QScreen* screen = widget ? widget->screen() : nullptr;
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return kFallbackDpi;
    const double dpi = screen->logicalDotsPerInchY();
    return dpi > 0 ? dpi : kFallbackDpi;
}

double TwipsPerPixel(double dpi) { return kTwipsPerInch / dpi; }

int TwipsToPixels(double twips, double dpi) {
    return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}

double PixelsToTwips(int pixels, double dpi) { return pixels * kTwipsPerInch / dpi; }

QPoint TwipsToPixels(double left, double top, double dpi) {
    return {TwipsToPixels(left, dpi), TwipsToPixels(top, dpi)};
}

QSize TwipsSizeToPixels(double width, double height, double dpi) {
    return {TwipsToPixels(width, dpi), TwipsToPixels(height, dpi)};
}

QRect TwipsToPixels(const TwipsRect& rect, double dpi) {
    return {TwipsToPixels(rect.left, rect.top, dpi), TwipsSizeToPixels(rect.width, rect.height, dpi)};
}

TwipsRect PixelsToTwips(const QRect& rect, double dpi) {
    return {PixelsToTwips(rect.left(), dpi), PixelsToTwips(rect.top(), dpi), PixelsToTwips(rect.width(), dpi),
            PixelsToTwips(rect.height(), dpi)};
}

}  // namespace zendra::shell
