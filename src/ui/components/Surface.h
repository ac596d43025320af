#pragma once
// A card: the content padded on all sides, on a rounded rectangle filled with
// the surface colour and outlined in the border colour.

#include <QWidget>

namespace vp::ui {

class Surface : public QWidget {
public:
    explicit Surface(QWidget* content, double padding = 12, QWidget* parent = nullptr);
    double padding() const { return padding_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double padding_;
};

// Wraps any view in a card; the menu panel's all-screens block uses 10, the
// screen card 11.
Surface* surface(QWidget* content, double padding = 12);

}  // namespace vp::ui
