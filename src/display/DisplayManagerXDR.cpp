#include "display/DisplayManager.h"

namespace vp {

void DisplayManager::reapplyXDR() {}

}  // namespace vp
