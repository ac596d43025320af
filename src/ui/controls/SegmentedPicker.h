#pragma once
// A row of mutually exclusive choices drawn as one capsule with the chosen
// segment filled.

#include <QWidget>

#include <functional>

namespace vp::ui {

class SegmentedPicker : public QWidget {
public:
    SegmentedPicker(QStringList choices, QWidget* parent = nullptr);

    int selected() const { return selected_; }
    void setSelected(int index);
    std::function<void(int)> onSelect;

    QSize sizeHint() const override { return {140, 22}; }

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QStringList choices_;
    int selected_ = 0;
};

}  // namespace vp::ui
