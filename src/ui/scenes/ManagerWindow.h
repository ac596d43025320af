#pragma once
// The manager window: 760 × 560 points, no visible title bar (the content
// reaches the top edge; the strip along the top moves the window and a small
// button closes it). Its pages arrive with the manager view; until then it
// shows the sidebar's logo and title.

#include <QWidget>

namespace vp::ui {

class ManagerWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int defaultWidth = 760;
    static constexpr int defaultHeight = 560;
    static constexpr const char* identifier = "manager";

    explicit ManagerWindow(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace vp::ui
