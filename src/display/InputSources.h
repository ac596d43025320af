#pragma once
// The monitor inputs offered in the input menu. Names are not translated.

#include <string>
#include <vector>

namespace vp {

struct InputSource {
    int code = 0;
    std::string name;
};

namespace InputSources {
const std::vector<InputSource>& all();
// The listed name, or the code as "0x%02X" for any other code.
std::string name(int code);
}  // namespace InputSources

}  // namespace vp
