#pragma once
// A text the platform gives the user (why something cannot be done, what to
// change): written in English, and the key the interface translates it by
// where it is shown, since the platform knows nothing of the interface's
// languages. Marking the text is what lets the translation check find it.

namespace vp {

constexpr const char* R(const char* english) {
    return english;
}

}  // namespace vp
