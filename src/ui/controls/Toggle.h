#pragma once
// An on/off switch drawn on the design tokens (the toolkit has no switch
// control of its own).

#include <QAbstractButton>

#include <functional>

namespace vp::ui {

class Toggle : public QAbstractButton {
public:
    enum class Size { mini, small, regular };
    explicit Toggle(Size size = Size::regular, QWidget* parent = nullptr);

    // Called when the user flips the switch (not for setChecked from code).
    std::function<void(bool)> onToggle;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    Size size_;
};

}  // namespace vp::ui
