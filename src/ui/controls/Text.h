#pragma once
// Labels in the interface's type styles.

#include <QLabel>

namespace vp::ui {

// The text as rich text with the keyboard-key emoji it holds replaced by
// symbols drawn from our own icons at the text's size, so they show without
// an emoji font.
QString withDrawnSymbols(const QString& plain, const QColor& color, double points);
bool hasDrawnSymbols(const QString& plain);

// A label in the system font at `points`, in `color`; emoji of keyboard keys
// are drawn as symbols.
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
