#pragma once
// The card of one screen in the menu panel. It reads the manager's published
// state through the card model and calls one manager operation per control.
//
// Updates are cheap on purpose: a published change only re-reads values
// into the existing controls; the card's controls are rebuilt only when the
// set of controls itself changes (another badge, a row appearing), so a
// slider drag never rebuilds the card under the pointer.

#include "app/presentation/CardModel.h"

#include <QWidget>

#include <string>

class QLabel;
class QVBoxLayout;

namespace vp {
class AppContext;
class DisplayManager;
}

namespace vp::ui {

class ChipMenuButton;
class GlowSlider;
class Toggle;

class ScreenCard : public QWidget {
public:
    ScreenCard(AppContext& context, Screen screen, QWidget* parent = nullptr);

    const Screen& screen() const { return screen_; }
    // A new snapshot of the screen (the panel passes it after a refresh).
    void setScreen(const Screen& screen);
    // Re-reads the manager: values in place, or a rebuild when the set of
    // controls changed.
    void refresh();

    bool isExpanded() const { return expanded_; }
    void setExpanded(bool expanded);
    const CardModel& model() const { return model_; }
    int rebuildCount() const { return rebuilds_; }

private:
    void rebuild();
    void updateValues();
    std::string structure(const CardModel& model) const;

    QWidget* titleRow();
    QWidget* reconnectRow();
    QWidget* brightnessRow();
    QWidget* methodNote();
    QWidget* hiDPINote();
    QWidget* extras();
    QWidget* actions();
    ChipMenuButton* profileMenu();
    QWidget* profileNote();
    ChipMenuButton* inputMenu();
    ChipMenuButton* resolutionMenu();
    ChipMenuButton* moreMenu();
    GlowSlider* slider(const char* name, double value, const QColor& tint, const std::string& icon,
                       std::function<void(double)> write, std::function<void(double)> onChange);

    AppContext& context_;
    DisplayManager& manager_;
    Screen screen_;
    bool expanded_ = false;
    CardModel model_;
    std::string structure_;
    int rebuilds_ = 0;
    QWidget* content_ = nullptr;
    QVBoxLayout* rows_ = nullptr;
};

}  // namespace vp::ui
