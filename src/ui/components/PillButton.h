#pragma once
// Capsule buttons. A primary button is filled with the accent gradient and
// glows; a secondary one sits on the chip colour with a thin outline. Compact
// buttons are smaller; `chip` is the compact secondary preset. A pressed or
// disabled button is drawn at reduced opacity.

#include <QAbstractButton>

#include <string>

namespace vp::ui {

struct PillButtonStyle {
    bool primary = false;
    bool compact = false;
    static PillButtonStyle chip() { return {false, true}; }

    double fontSize() const { return compact ? 10.5 : 12; }
    double padX() const { return compact ? 9 : 14; }
    double padY() const { return compact ? 4 : 7; }
    // Reach of the primary button's glow; the widget keeps this much room
    // around the capsule so the glow is not cut off.
    double glowMargin() const { return primary ? 8 : 0; }
};

class PillButton : public QAbstractButton {
public:
    // A label, a symbol, or both (the symbol first).
    PillButton(const QString& text, PillButtonStyle style, const std::string& symbol = {}, QWidget* parent = nullptr);

    PillButtonStyle style() const { return style_; }
    // The opacity the button is drawn at: 0.4 while disabled, 0.75 while
    // pressed, otherwise 1.
    double drawOpacity() const { return !isEnabled() ? 0.4 : isDown() ? 0.75 : 1.0; }
    QColor labelColor() const;
    // The capsule, inside the glow margin.
    QRectF capsuleRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double symbolSize() const;
    PillButtonStyle style_;
    std::string symbol_;
};

}  // namespace vp::ui
