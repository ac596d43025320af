#pragma once
// Virtual screens on GNOME: a mutter ScreenCast virtual stream that we
// consume ourselves. mutter makes a real monitor of the size and rate we ask
// the stream for, lays it out like any other, and removes it when the stream
// or our bus connection ends, so a crashed run leaves none behind.

#include "platform/Capabilities.h"
#include "platform/VirtualDisplays.h"
#include "platform/linux/gnome/GnomeDisplays.h"

namespace vp::gnome {

class GnomeVirtualDisplays : public VirtualDisplayFactory {
public:
    // `pipewireRuntimeDir` empty: the user's own PipeWire.
    GnomeVirtualDisplays(GnomeDisplays& displays, std::string address, std::string pipewireRuntimeDir = {});

    bool isAvailable() override;
    // Virtual displays are there while mutter offers screen casting; asks
    // the session bus.
    void describe(Capabilities& capabilities);
    std::unique_ptr<VirtualDisplay> create(const VirtualDisplayDescriptor& descriptor) override;

private:
    GnomeDisplays& displays_;
    std::string address_, pipewireRuntimeDir_;
};

}  // namespace vp::gnome
