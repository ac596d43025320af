#pragma once
// The interface's slider: a thin rail, a glowing fill in the tint colour and
// a white thumb, optional symbols before and after the track and the
// percentage. A press anywhere on the track sets the value; dragging follows
// the pointer with no step and no throttling.

#include <QColor>
#include <QWidget>

#include <functional>
#include <string>

class QVariantAnimation;

namespace vp::ui {

// The slider's arithmetic, in track coordinates (points from the track's
// leading edge; `w` is the track's width).
namespace GlowSliderGeometry {
constexpr double railHeight = 5;
constexpr double thumbRestDiameter = 13;
constexpr double thumbDragDiameter = 15;
// (value − lower) / (upper − lower), clamped to 0…1; 0 for an empty range.
double fraction(double value, double lower, double upper);
// Width of the fill: at least the rail's height, so a slider at its lower
// bound still shows a stub.
double fillWidth(double fraction, double w);
// Offset of the thumb's leading edge. It uses the resting diameter whatever
// the thumb's current size, so the thumb does not jump when it grows.
double thumbOffset(double fraction, double w);
// The value under a pointer at x; never divides by zero, whatever the width.
double valueAt(double x, double w, double lower, double upper);
// The number shown, from the unclamped value; 0 for an empty range.
long percent(double value, double lower, double upper);
}  // namespace GlowSliderGeometry

class GlowSlider : public QWidget {
public:
    struct Options {
        double lower = 0, upper = 1;
        QColor tint;
        std::string icon;          // empty: none
        std::string trailingIcon;  // empty: none
        bool showPercent = true;
        // Called with each new value while dragging.
        std::function<void(double)> onChange;
        // Where a dragged value is written. Unset: the slider keeps it. Set:
        // the slider shows only what its owner gives back through setValue.
        std::function<void(double)> write;
    };

    GlowSlider(double value, Options options, QWidget* parent = nullptr);

    double value() const { return value_; }
    void setValue(double value);
    bool isDragging() const { return dragging_; }
    const Options& options() const { return options_; }

    // Geometry in widget coordinates, for drawing and for tests.
    QRectF trackRect() const;
    QRectF fillRect() const;
    QRectF thumbRect() const;
    QString percentText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void dragTo(double x);
    void setDragging(bool dragging);
    double fraction() const;

    double value_;
    Options options_;
    bool dragging_ = false;
    double dragAmount_ = 0;  // 0 at rest, 1 while dragging, animated between
    QVariantAnimation* dragAnimation_;
};

}  // namespace vp::ui
