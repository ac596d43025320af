#pragma once

namespace vp {

// The design colours a presentation model may ask for; the views map them
// to their tokens.
enum class Tint { primary, glow, warm, warning, muted, faint };

}  // namespace vp
