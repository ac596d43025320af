#pragma once
// The face of every pull-down menu of the panel and the card: a capsule in
// surface2 with a 1-point border, a symbol and a semibold label, and no menu
// indicator. With no text it is the round "more" face (26 × 22).

#include <QMenu>
#include <QToolButton>

#include <functional>
#include <string>

namespace vp::ui {

class ChipMenuButton : public QToolButton {
public:
    ChipMenuButton(const QString& text, std::string symbol, QWidget* parent = nullptr);

    void setFace(const QString& text);
    QMenu* popup() const { return menu_; }
    // Fills the menu afresh each time it is about to show.
    std::function<void(QMenu&)> onShow;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString text_;
    std::string symbol_;
    QMenu* menu_;
};

// The dark look of the application's menus.
void styleMenu(QMenu& menu);
// A menu item with an optional symbol.
QAction* addItem(QMenu& menu, const QString& title, const std::string& symbol, std::function<void()> action);

}  // namespace vp::ui
