// Feeds arbitrary bytes to the ICC profile description reader as if they
// were a profile file: it must never read outside the data, crash or hang,
// and a name it returns is never empty.
#include "overlay/ICCProfileReader.h"

#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> bytes(data, size);
    vp::isDisplayRGBProfile(bytes);
    if (auto name = vp::profileDescription(bytes)) {
        if (name->empty()) std::abort();
    }
    return 0;
}
