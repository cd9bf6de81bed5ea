#pragma once
// Window geometry is kept in twips (1440 per inch); the screen works in pixels. The conversions use the
// screen's logical DPI, so 96 DPI gives 15 twips per pixel.

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace zendra::shell {

inline constexpr double kTwipsPerInch = 1440.0;

// A rectangle in twips, as the settings store keeps it.
struct TwipsRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

// Logical DPI of the screen `widget` is on (the primary screen when null or off-screen); 96 without a screen.
double LogicalDpi(const QWidget* widget = nullptr);
double TwipsPerPixel(double dpi);

// Rounded to the nearest pixel; the inverse is exact for whole pixels.
int TwipsToPixels(double twips, double dpi);
double PixelsToTwips(int pixels, double dpi);

QPoint TwipsToPixels(double left, double top, double dpi);
QSize TwipsSizeToPixels(double width, double height, double dpi);
QRect TwipsToPixels(const TwipsRect& rect, double dpi);
TwipsRect PixelsToTwips(const QRect& rect, double dpi);

}  // namespace zendra::shell
