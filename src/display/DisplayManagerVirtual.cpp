#include "display/DisplayManager.h"

namespace vp {

void DisplayManager::createEnabledVirtuals() {}

void DisplayManager::restoreHiDPIAtLaunch() {}

}  // namespace vp
