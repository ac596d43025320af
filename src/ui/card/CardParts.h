#pragma once
// Small drawn pieces of the screen card.

#include <QAbstractButton>
#include <QWidget>

#include <string>

namespace vp::ui {

// The 30 × 30 tile with the screen's symbol.
class IconTile : public QWidget {
public:
    explicit IconTile(std::string symbol, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {30, 30}; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    std::string symbol_;
};

// The round "Color, contrast and audio" button; tinted while expanded.
class ExpandButton : public QAbstractButton {
public:
    explicit ExpandButton(bool expanded, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {25, 25}; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    bool expanded_;
};

// A 1-point rule in the border colour.
class Divider : public QWidget {
public:
    explicit Divider(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent*) override;
};

}  // namespace vp::ui
