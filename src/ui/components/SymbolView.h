#pragma once
// A symbol drawn at a fixed size, for rows that mix symbols and text.

#include "ui/components/Symbols.h"

#include <QColor>
#include <QPainter>
#include <QWidget>

#include <string>

namespace vp::ui {

class SymbolView : public QWidget {
public:
    SymbolView(std::string symbol, QColor color, int size) : symbol_(std::move(symbol)), color_(color) {
        setFixedSize(size, size);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        Symbols::paint(p, QRectF(rect()), symbol_, color_);
    }

private:
    std::string symbol_;
    QColor color_;
};

}  // namespace vp::ui
