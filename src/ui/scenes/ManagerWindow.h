#pragma once
// The manager window: 760 × 560 points, no visible title bar (the content
// reaches the top edge; the strip along the top moves the window and a small
// button closes it), holding the manager view.

#include <QWidget>

namespace vp {
class AppContext;
}

namespace vp::ui {

class ManagerView;

class ManagerWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int defaultWidth = 760;
    static constexpr int defaultHeight = 560;
    static constexpr const char* identifier = "manager";

    explicit ManagerWindow(AppContext& context, QWidget* parent = nullptr);
    ManagerView* view() const { return view_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    ManagerView* view_;
};

}  // namespace vp::ui
