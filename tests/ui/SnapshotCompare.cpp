#include "SnapshotCompare.h"

#include "BuildPaths.h"
#include "ui/components/ScreenMark.h"

#include <QDir>
#include <QLayout>
#include <QWidget>

#include <algorithm>
#include <cstdlib>

namespace vp::ui::test {

namespace {

int channelDistance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b)),
                     std::abs(qAlpha(a) - qAlpha(b))});
}

}  // namespace

QImage picture(QWidget& widget, bool naturalSize) {
    // ScreenMark has no meta-object of its own, so findChildren cannot tell it apart.
    for (QWidget* child : widget.findChildren<QWidget*>())
        if (auto* mark = dynamic_cast<ScreenMark*>(child)) mark->freezeAt(0);
    widget.ensurePolished();
    if (widget.layout()) widget.layout()->activate();
    if (naturalSize) widget.adjustSize();
    QImage image(widget.size() * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(Qt::transparent);
    widget.render(&image);
    return image;
}

double differingShare(const QImage& a, const QImage& b, int channelTolerance, QImage* differences) {
    if (a.size() != b.size() || a.isNull()) return 1.0;
    QImage left = a.convertToFormat(QImage::Format_ARGB32), right = b.convertToFormat(QImage::Format_ARGB32);
    if (differences) {
        *differences = left.copy();
        differences->setDevicePixelRatio(1);
    }
    long long differing = 0;
    for (int y = 0; y < left.height(); ++y) {
        const auto* l = reinterpret_cast<const QRgb*>(left.constScanLine(y));
        const auto* r = reinterpret_cast<const QRgb*>(right.constScanLine(y));
        for (int x = 0; x < left.width(); ++x) {
            if (channelDistance(l[x], r[x]) <= channelTolerance) continue;
            ++differing;
            if (differences) differences->setPixel(x, y, qRgb(255, 0, 0));
        }
    }
    return double(differing) / (double(left.width()) * left.height());
}

SnapshotVerdict compareWithExpected(const QImage& actual, const QString& language, const QString& name,
                                    SnapshotTolerance tolerance) {
    const QString built = QStringLiteral(VELVETPANE_SNAPSHOT_DIR "/pages-%1").arg(language);
    const QString expectedDir = QStringLiteral(VELVETPANE_TEST_DATA "/snapshots/%1").arg(language);
    QDir().mkpath(built);
    const QString actualPath = built + QLatin1Char('/') + name + QStringLiteral(".png");
    const QString expectedPath = expectedDir + QLatin1Char('/') + name + QStringLiteral(".png");
    actual.save(actualPath);

    if (qEnvironmentVariableIntValue("VELVETPANE_UPDATE_SNAPSHOTS") == 1) {
        QDir().mkpath(expectedDir);
        QImage stored = actual;
        stored.setDevicePixelRatio(1);
        if (!stored.save(expectedPath)) return {false, expectedPath + QStringLiteral(" cannot be written")};
        return {true, {}};
    }
    QImage expected(expectedPath);
    if (expected.isNull())
        return {false, QStringLiteral("no expected picture %1 (VELVETPANE_UPDATE_SNAPSHOTS=1 writes it from %2)")
                           .arg(expectedPath, actualPath)};
    if (expected.size() != actual.size())
        return {false, QStringLiteral("%1 is %2×%3 instead of %4×%5: the layout changed (see %6)")
                           .arg(name)
                           .arg(actual.width())
                           .arg(actual.height())
                           .arg(expected.width())
                           .arg(expected.height())
                           .arg(actualPath)};
    QImage differences;
    double share = differingShare(actual, expected, tolerance.channelTolerance, &differences);
    if (share <= tolerance.share) return {true, {}};
    const QString diffPath = built + QLatin1Char('/') + name + QStringLiteral("-differences.png");
    differences.save(diffPath);
    return {false, QStringLiteral("%1: %2 % of the pixels differ from %3 (allowed %4 %); see %5 and %6")
                       .arg(name)
                       .arg(share * 100, 0, 'f', 2)
                       .arg(expectedPath)
                       .arg(tolerance.share * 100, 0, 'f', 2)
                       .arg(actualPath, diffPath)};
}

}  // namespace vp::ui::test
