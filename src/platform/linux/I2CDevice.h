#pragma once
// One /dev/i2c-N adapter, moving bytes and nothing else: DDC/CI packets are
// built and checked by the core. Each call is one blocking transfer (a few
// milliseconds on a real bus, up to the adapter's timeout when nothing
// answers), so it is only used off the main thread.
//
// What goes wrong on real buses, and how it is reported (as the errno value,
// never thrown): no permission on the device file (EACCES), no device
// answering at the address (ENXIO, also after the monitor is unplugged), a
// bus that is busy or owned by a kernel driver (EBUSY), a transfer cut off
// (EIO, ETIMEDOUT, EREMOTEIO).

#include "platform/Types.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vp {

class I2CDevice {
public:
    I2CDevice() = default;
    ~I2CDevice();
    I2CDevice(I2CDevice&& other) noexcept;
    I2CDevice& operator=(I2CDevice&& other) noexcept;
    I2CDevice(const I2CDevice&) = delete;
    I2CDevice& operator=(const I2CDevice&) = delete;

    // 0 or the errno of open().
    Status open(const std::string& path);
    bool isOpen() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

    // Writes `offset` followed by `bytes` to the chip at the 7-bit address
    // (for DDC/CI the offset is the host's source address, 0x51).
    Status write(std::uint8_t chip, std::uint8_t offset, const std::vector<std::uint8_t>& bytes);
    // Reads buffer.size() bytes from the chip. DDC/CI replies are read whole,
    // without an offset.
    Status read(std::uint8_t chip, std::vector<std::uint8_t>& buffer);
    // Writes the offset, then reads from it in the same transfer (EEPROMs
    // such as the EDID's at 0x50).
    Status readAt(std::uint8_t chip, std::uint8_t offset, std::vector<std::uint8_t>& buffer);

private:
    int fd_ = -1;
    std::string path_;
};

// The EDID at 0x50 of the adapter, 128 bytes, or none.
std::vector<std::uint8_t> readEdidOverI2C(I2CDevice& device);

// The errno values that mean the user lacks access to the device file.
bool isPermissionError(Status status);

// What to tell the user who may not open `device`, naming both fixes.
std::string i2cAccessFix(const std::string& device);

}  // namespace vp
