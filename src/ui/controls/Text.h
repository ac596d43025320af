#pragma once
// Labels in the interface's type styles.

#include <QLabel>

namespace vp::ui {

// A label in the system font at `points`, in `color`.
QLabel* text(const QString& text, double points, const QColor& color, QFont::Weight weight = QFont::Normal);
// The same, wrapping onto as many lines as it needs.
QLabel* wrappingText(const QString& text, double points, const QColor& color, QFont::Weight weight = QFont::Normal);

// A one-line label that shortens its text with an ellipsis when it lacks room
// instead of widening its parent.
class ElidedLabel : public QWidget {
public:
    ElidedLabel(const QString& text, const QFont& font, const QColor& color, QWidget* parent = nullptr);
    void setText(const QString& text);
    const QString& text() const { return text_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString text_;
    QColor color_;
};

}  // namespace vp::ui
