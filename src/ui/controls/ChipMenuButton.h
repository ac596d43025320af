#pragma once
// The chip face shared by the menus of the panel and the card and by the
// panel's "Virtual screens" button: a capsule in surface2 with a 1-point
// border, a symbol and a semibold label, and no menu indicator. The label is
// shortened with an ellipsis when the row lacks room, so long translations
// never push the panel wider. With no text it is the round "more" face
// (26 × 22).

#include <QMenu>
#include <QToolButton>

#include <functional>
#include <string>

namespace vp::ui {

class ChipButton : public QToolButton {
public:
    ChipButton(const QString& text, std::string symbol, QWidget* parent = nullptr);

    void setFace(const QString& text);
    const QString& face() const { return text_; }
    // Whether the label may be shortened (it may by default).
    void setElides(bool elides) {
        elides_ = elides;
        updateGeometry();
    }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString text_;
    std::string symbol_;
    bool elides_ = true;
};

class ChipMenuButton : public ChipButton {
public:
    ChipMenuButton(const QString& text, std::string symbol, QWidget* parent = nullptr);

    QMenu* popup() const { return menu_; }
    // Fills the menu afresh each time it is about to show.
    std::function<void(QMenu&)> onShow;

private:
    QMenu* menu_;
};

// The dark look of the application's menus.
void styleMenu(QMenu& menu);
// A menu item with an optional symbol.
QAction* addItem(QMenu& menu, const QString& title, const std::string& symbol, std::function<void()> action);

}  // namespace vp::ui
