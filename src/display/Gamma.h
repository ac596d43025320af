#pragma once
// Software dimming, warmth and contrast through a display's gamma transfer
// table. Every table is computed from the table the display had before this
// program first changed it (its capture), so settings never compound and the
// capture can be written back exactly. Main queue only.

#include "platform/Displays.h"

#include <map>

namespace vp {

class Gamma {
public:
    using Table = GammaTable;

    explicit Gamma(DisplayServices& displays);

    // Captures the display's table on first use, then writes the combined
    // table. A display that will not give its table (virtual screens, some
    // mirrored screens) is left alone.
    void apply(DisplayID display, double dim, double warmth, double contrast);
    // Writes the capture back, when there is one; the capture stays.
    void restore(DisplayID display);
    // Gives every display its profile's tables back and forgets every capture.
    void restoreAll();
    // Drops a capture (after a profile change), so the next apply captures anew.
    void forget(DisplayID display);

    static bool isNeutral(double dim, double warmth, double contrast);
    // The combined table for a capture: the capture applied after our
    // adjustment, where contrast pivots every channel around 0.5, warmth
    // lowers green by up to 18 % and blue by up to 50 %, dim scales
    // everything. With an identity capture it is the adjustment alone.
    static Table compute(const Table& capture, double dim, double warmth, double contrast);

    const std::map<DisplayID, Table>& originals() const { return originals_; }

private:
    DisplayServices& displays_;
    std::map<DisplayID, Table> originals_;
};

}  // namespace vp
