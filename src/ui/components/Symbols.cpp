#include "ui/components/Symbols.h"

#include <QFile>
#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

// The icons are compiled into the static UI library; register them before
// the first look-up.
static void registerIcons() {
    Q_INIT_RESOURCE(icons);
}

namespace vp::ui::Symbols {

namespace {

// The symbol names the interface uses, and the icon drawn for each.
const std::map<std::string, const char*>& table() {
    static const std::map<std::string, const char*> files = {
        {"sun.max.fill", "sun-filled.svg"},
        {"sun.max", "sun.svg"},
        {"sun.min.fill", "sun-low-filled.svg"},
        {"sun.min", "sun-low.svg"},
        {"speaker.slash.fill", "volume-off.svg"},
        {"speaker.wave.1.fill", "volume-2.svg"},
        {"speaker.wave.2", "volume.svg"},
        {"speaker.wave.3.fill", "volume.svg"},
        {"display", "device-desktop-filled.svg"},
        {"laptopcomputer", "device-laptop.svg"},
        {"pip", "picture-in-picture.svg"},
        {"gearshape", "settings.svg"},
        {"sparkle", "sparkles-filled.svg"},
        {"sparkles.rectangle.stack", "stack-2.svg"},
        {"rectangle.on.rectangle", "copy.svg"},
        {"power", "power.svg"},
        {"xmark", "x.svg"},
        {"trash", "trash.svg"},
        {"checkmark", "check.svg"},
        {"checkmark.circle.fill", "circle-check-filled.svg"},
        {"exclamationmark.triangle.fill", "alert-triangle-filled.svg"},
        {"arrow.clockwise", "refresh.svg"},
        {"arrow.uturn.backward", "arrow-back-up.svg"},
        {"aspectratio", "aspect-ratio.svg"},
        {"cable.connector", "plug-connected.svg"},
        {"circle.dotted", "circle-dotted.svg"},
        {"circle.lefthalf.filled", "circle-half-2.svg"},
        {"ellipsis", "dots.svg"},
        {"eye.slash", "eye-off.svg"},
        {"menubar.rectangle", "app-window.svg"},
        {"paintpalette", "palette.svg"},
        {"rectangle.split.2x1", "layout-columns.svg"},
        {"slider.horizontal.3", "adjustments-horizontal.svg"},
        {"thermometer.sun", "temperature-sun.svg"},
        {"sun.max.trianglebadge.exclamationmark", "sun-high.svg"},
    };
    return files;
}

// One parsed renderer per icon file, kept for the life of the process.
QSvgRenderer* renderer(const QString& path) {
    static const bool registered = (registerIcons(), true);
    (void)registered;
    static QHash<QString, std::shared_ptr<QSvgRenderer>> cache;
    auto it = cache.find(path);
    if (it == cache.end()) it = cache.insert(path, std::make_shared<QSvgRenderer>(path));
    return it.value()->isValid() ? it.value().get() : nullptr;
}

}  // namespace

QString file(const std::string& name) {
    auto it = table().find(name);
    if (it == table().end()) return {};
    return QStringLiteral(":/icons/") + QString::fromLatin1(it->second);
}

QPixmap pixmap(const std::string& name, const QColor& color, int size, double devicePixelRatio) {
    QSvgRenderer* svg = renderer(file(name));
    if (!svg || size <= 0) return {};
    int px = int(size * devicePixelRatio + 0.5);
    QPixmap out(px, px);
    out.fill(Qt::transparent);
    {
        QPainter p(&out);
        p.setRenderHint(QPainter::Antialiasing);
        // The icons keep a 2-unit margin inside their 24-unit box; drawing
        // them 20 units to the box lets a symbol fill its frame as the
        // system's symbols do.
        double inset = px * 2.0 / 20.0;
        svg->render(&p, QRectF(-inset, -inset, px + 2 * inset, px + 2 * inset));
        // The icons are drawn in one colour; keep their coverage and
        // replace the colour.
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(out.rect(), color);
    }
    out.setDevicePixelRatio(devicePixelRatio);
    return out;
}

void paint(QPainter& painter, const QRectF& rect, const std::string& name, const QColor& color) {
    double side = std::min(rect.width(), rect.height());
    if (side <= 0) return;
    // Rasterise at the resolution the pixels will have on the device.
    QTransform t = painter.deviceTransform();
    double scale = std::sqrt(std::abs(t.m11() * t.m22() - t.m12() * t.m21()));
    double dpr = std::max({painter.device() ? painter.device()->devicePixelRatioF() : 1.0, scale, 1.0});
    QPixmap icon = pixmap(name, color, int(std::ceil(side)), dpr);
    if (icon.isNull()) return;
    QRectF target(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
    painter.drawPixmap(target, icon, QRectF(icon.rect()));
}

}  // namespace vp::ui::Symbols
