#pragma once
// Where the desktop keeps the brightness keys for itself, a card on the
// General page offers to add desktop shortcuts of ours that stand in for
// them, and to remove them again. Nothing is written before the user clicks.

#include <QWidget>

namespace vp {
class DesktopShortcuts;
}

namespace vp::ui {

class DesktopShortcutsCard : public QWidget {
public:
    explicit DesktopShortcutsCard(DesktopShortcuts& shortcuts, QWidget* parent = nullptr);

private:
    void sync();
    void act(bool install);

    DesktopShortcuts& shortcuts_;
    QWidget* body_ = nullptr;
    QString problem_;
};

}  // namespace vp::ui
