#pragma once
// The content of the menu-bar item: header, the all-screens slider, one card
// per screen, the last error and the footer. It keeps only short-lived view
// state (the cards and the list of other applications' windows); everything
// else is read from the manager on each published change.

#include "app/presentation/PanelModel.h"
#include "pip/PiPWindowItem.h"
#include "util/Signal.h"

#include <QWidget>

#include <functional>
#include <map>
#include <vector>

class QLabel;
class QMenu;
class QScrollArea;
class QVBoxLayout;

namespace vp {
class AppContext;
class DisplayManager;
}

namespace vp::ui {

class ChipMenuButton;
class GlowSlider;
class ScreenCard;

class MenuPanel : public QWidget {
public:
    static constexpr int panelWidth = 368;
    static constexpr int panelMargin = 12;
    static constexpr int scrollHeight = 560;

    MenuPanel(AppContext& context, std::function<void()> openManager, std::function<void()> quit,
              QWidget* parent = nullptr);

    // Refreshes the screens and the window list, as each opening of the panel
    // does. Called from showEvent; public for the scene that reuses a panel.
    void opened();

    const PanelModel& model() const { return model_; }
    ScreenCard* card(DisplayID id) const;
    std::vector<ScreenCard*> cards() const;
    bool scrolls() const;
    const std::vector<PiPWindowItem>& pipWindows() const { return pipWindows_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QWidget* header();
    QWidget* allScreens();
    QWidget* banner();
    QWidget* footer(std::function<void()> openManager, std::function<void()> quit);
    void fillWindowMenu(QMenu& menu);
    void loadWindows();
    void sync();
    void syncCards();
    void fitWindow();

    AppContext& context_;
    DisplayManager& manager_;
    PanelModel model_;
    std::vector<PiPWindowItem> pipWindows_;
    QLabel* count_ = nullptr;
    QWidget* allScreens_ = nullptr;
    GlowSlider* allSlider_ = nullptr;
    QVBoxLayout* listHost_ = nullptr;
    QWidget* list_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    std::map<DisplayID, ScreenCard*> cards_;
    std::vector<DisplayID> listed_;  // the cards' order in the list
    QWidget* banner_ = nullptr;
    QLabel* bannerText_ = nullptr;
    Signal::Connection changed_;
};

}  // namespace vp::ui
