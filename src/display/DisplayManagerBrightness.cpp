#include "display/DisplayManager.h"

namespace vp {

void DisplayManager::detectBrightness() {}

}  // namespace vp
