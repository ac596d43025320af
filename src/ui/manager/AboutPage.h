#pragma once
// The About page: the version and a few reference facts.

#include <QWidget>

namespace vp {
class AppContext;
}

namespace vp::ui {

class AboutPage : public QWidget {
public:
    explicit AboutPage(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace vp::ui
