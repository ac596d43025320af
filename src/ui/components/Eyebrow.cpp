#include "ui/components/Eyebrow.h"

#include "ui/components/DS.h"

namespace vp::ui {

Eyebrow::Eyebrow(const QString& text, QWidget* parent) : QLabel(text.toUpper(), parent) {
    QFont f = DS::font(9.5, QFont::DemiBold);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 1.4);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, DS::muted);
    setPalette(pal);
}

}  // namespace vp::ui
