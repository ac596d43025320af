#include "input/HUDModel.h"

namespace vp {

void HUDModel::set(double value, const std::string& icon) {
    if (value == value_ && icon == icon_) return;
    value_ = value;
    icon_ = icon;
    changed.emit();
}

}  // namespace vp
