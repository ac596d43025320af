#include "display/DisplayManager.h"

namespace vp {

void DisplayManager::reapplyGamma() {}

}  // namespace vp
