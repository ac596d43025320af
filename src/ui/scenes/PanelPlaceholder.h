#pragma once
// The menu panel's frame until its cards arrive: the header (mark, caption,
// title, count of connected screens) and a footer with the entries to the
// manager window and to quitting, on the panel's dark background.

#include "util/Signal.h"

#include <QWidget>

#include <functional>

class QLabel;

namespace vp {
class DisplayManager;
}

namespace vp::ui {

class PanelPlaceholder : public QWidget {
    Q_OBJECT

public:
    static constexpr int panelWidth = 368;

    PanelPlaceholder(DisplayManager& manager, std::function<void()> openManager, std::function<void()> quit,
                     QWidget* parent = nullptr);

    QString countText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refreshCount();
    DisplayManager& manager_;
    QLabel* count_;
    Signal::Connection changed_;
};

// The number of screens the user can adjust: active and not one of the
// program's own virtual screens.
long adjustableCount(const DisplayManager& manager);

}  // namespace vp::ui
