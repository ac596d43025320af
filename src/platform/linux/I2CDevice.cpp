#include "platform/linux/I2CDevice.h"

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace vp {

namespace {

constexpr std::uint8_t kEdidChip = 0x50;
constexpr std::size_t kEdidSize = 128;

Status transfer(int fd, i2c_msg* messages, unsigned count) {
    if (fd < 0) return EBADF;
    i2c_rdwr_ioctl_data data{messages, count};
    if (::ioctl(fd, I2C_RDWR, &data) < 0) return errno;
    return 0;
}

}  // namespace

I2CDevice::~I2CDevice() {
    if (fd_ >= 0) ::close(fd_);
}

I2CDevice::I2CDevice(I2CDevice&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

I2CDevice& I2CDevice::operator=(I2CDevice&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

Status I2CDevice::open(const std::string& path) {
    if (fd_ >= 0) ::close(fd_);
    path_ = path;
    fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    return fd_ < 0 ? errno : 0;
}

Status I2CDevice::write(std::uint8_t chip, std::uint8_t offset, const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> wire;
    wire.reserve(bytes.size() + 1);
    wire.push_back(offset);
    wire.insert(wire.end(), bytes.begin(), bytes.end());
    i2c_msg message{chip, 0, std::uint16_t(wire.size()), wire.data()};
    return transfer(fd_, &message, 1);
}

Status I2CDevice::read(std::uint8_t chip, std::vector<std::uint8_t>& buffer) {
    if (buffer.empty()) return 0;
    i2c_msg message{chip, I2C_M_RD, std::uint16_t(buffer.size()), buffer.data()};
    return transfer(fd_, &message, 1);
}

Status I2CDevice::readAt(std::uint8_t chip, std::uint8_t offset, std::vector<std::uint8_t>& buffer) {
    if (buffer.empty()) return 0;
    i2c_msg messages[2] = {{chip, 0, 1, &offset},
                           {chip, I2C_M_RD, std::uint16_t(buffer.size()), buffer.data()}};
    return transfer(fd_, messages, 2);
}

std::vector<std::uint8_t> readEdidOverI2C(I2CDevice& device) {
    std::vector<std::uint8_t> edid(kEdidSize, 0);
    if (device.readAt(kEdidChip, 0, edid) != 0) return {};
    return edid;
}

bool isPermissionError(Status status) {
    return status == EACCES || status == EPERM;
}

std::string i2cAccessFix(const std::string& device) {
    return "no permission to open " + device +
           ", so monitors are dimmed in software: join the i2c group (then log in again) or install "
           "Velvetpane's udev rule 70-velvetpane-i2c.rules, which gives the user at the seat access";
}

}  // namespace vp
