// Feeds arbitrary bytes to the URL command parser: it must neither crash,
// read out of bounds nor hang, and whatever it accepts must be a command
// with a fraction in 0…1.
#include "app/UrlCommands.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    if (auto command = vp::parseUrlCommand(text)) {
        if (!(command->fraction >= 0.0 && command->fraction <= 1.0)) std::abort();
    }
    if (auto parts = vp::splitURL(text)) {
        if (parts->scheme.empty()) std::abort();
    }
    return 0;
}
