#include "ui/components/DS.h"

#include <QApplication>

namespace vp::ui::DS {

QFont font(double points, QFont::Weight weight) {
    QFont f = QApplication::font();
    // Qt measures point sizes at 72 per inch on a 96-per-inch logical
    // screen; the interface's points are logical pixels.
    f.setPointSizeF(points * 72.0 / 96.0);
    f.setWeight(weight);
    return f;
}

}  // namespace vp::ui::DS
