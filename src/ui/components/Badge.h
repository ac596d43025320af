#pragma once
// A small coloured tag: the text in the colour on a capsule of the same
// colour at low opacity.

#include <QWidget>

namespace vp::ui {

class Badge : public QWidget {
public:
    Badge(const QString& text, const QColor& color, QWidget* parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    const QString& text() const { return text_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    QColor color_;
};

}  // namespace vp::ui
