#pragma once
// The on-screen level display: a symbol, a level bar and the level in
// percent on a dark rounded panel, 220 × 64 points, always dark.

#include "platform/qt/QtWindows.h"

#include <string>

namespace vp::ui {

class HUDView : public WindowContent {
public:
    static constexpr int viewWidth = 220;
    static constexpr int viewHeight = 64;

    explicit HUDView(QWidget* parent = nullptr);

    // The level (0…1) and symbol to show; redraws when either changes.
    void setLevel(double value, const std::string& icon) override;
    double value() const { return value_; }
    const std::string& icon() const { return icon_; }

    // What is drawn, for tests.
    QString percentText() const;
    QRectF iconRect() const;
    QRectF trackRect() const;
    QRectF barRect() const;
    QRectF percentRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double value_ = 1.0;
    std::string icon_ = "sun.max.fill";
};

}  // namespace vp::ui
