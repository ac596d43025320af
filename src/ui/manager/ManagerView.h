#pragma once
// The manager window's content: the sidebar with the brand and the three
// sections, a rule, and the selected page in a scrolling detail area.

#include <QWidget>

#include <array>

class QScrollArea;

namespace vp {
class AppContext;
}

namespace vp::ui {

enum class ManagerSection { virtualScreens, general, about };

class ManagerView : public QWidget {
public:
    explicit ManagerView(AppContext& context, QWidget* parent = nullptr);

    ManagerSection section() const { return section_; }
    void select(ManagerSection section);
    QWidget* page() const { return page_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* sidebar();
    QWidget* makePage(ManagerSection section);

    AppContext& context_;
    ManagerSection section_ = ManagerSection::virtualScreens;
    QScrollArea* detail_ = nullptr;
    QWidget* page_ = nullptr;
    std::array<QWidget*, 3> rows_{};
};

}  // namespace vp::ui
