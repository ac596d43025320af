#pragma once
// The design tokens: every colour of the interface and the card radius. The
// interface is dark throughout and never uses the system's palette.

#include <QColor>
#include <QFont>
#include <QString>

#include <cstdint>

namespace vp::ui {

namespace DS {

// An opaque sRGB colour from a 24-bit hex value, each channel divided by 255.
inline QColor hex(std::uint32_t rgb, double alpha = 1.0) {
    QColor c(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF));
    c.setAlphaF(float(alpha));
    return c;
}

// The same colour at another opacity.
inline QColor withAlpha(QColor color, double alpha) {
    color.setAlphaF(float(alpha));
    return color;
}

inline const QColor bg = hex(0x0E0E0E);
inline const QColor surface = hex(0x16161A);
inline const QColor surface2 = hex(0x1C1C22);
inline const QColor border = hex(0x26262E);
inline const QColor primary = hex(0x9498F2);
inline const QColor primaryDeep = hex(0x6E73E8);
inline const QColor glow = hex(0xB4B7F7);
inline const QColor warning = hex(0xF39C12);
inline const QColor warm = hex(0xF5A35C);
inline const QColor text = hex(0xEDEDF2);
inline const QColor muted = hex(0x8A8A99);
inline const QColor faint = hex(0x5A5A66);

// A Qt style sheet with its colours named by token instead of retyped:
// `$surface2` is that token's colour, `$primary@25` the same at 25% opacity.
// An unknown token is left as written, so Qt ignores that property.
QString sheet(const QString& withTokens);

// Corner radius of card surfaces, in points.
constexpr double radius = 14;

// The system font at a size in points (one point is one logical pixel, so
// fractional sizes such as 9.5 keep their size), with a weight.
QFont font(double points, QFont::Weight weight = QFont::Normal);

}  // namespace DS

}  // namespace vp::ui
