#include "FakeLinux.h"
#include "hardware/DDCPackets.h"
#include "platform/linux/I2CDevice.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace vp {
namespace {

using test::FakeLinux;
using test::makeEdid;

// A Get VCP request as the core frames it, sent after the 0x51 offset.
Bytes getRequest(std::uint8_t code) {
    return ddc::framePacket(ddc::readArguments(code));
}

class I2CDeviceTest : public ::testing::Test {
protected:
    FakeLinux fake;
    Bytes edid = makeEdid("ABC", 0x1234, 1, "Desk");

    I2CDevice open(int bus) {
        I2CDevice device;
        EXPECT_EQ(device.open(fake.device(bus)), 0);
        return device;
    }
    Bytes reply(I2CDevice& device) {
        Bytes buffer(11, 0);
        EXPECT_EQ(device.read(0x37, buffer), 0);
        return buffer;
    }
};

TEST_F(I2CDeviceTest, ReadsTheEdidAndTalksDDCThroughTheDeviceFile) {
    fake.addMonitor(3, edid);
    I2CDevice device = open(3);
    EXPECT_EQ(readEdidOverI2C(device), edid);

    ASSERT_EQ(device.write(0x37, 0x51, getRequest(0x10)), 0);
    auto reading = ddc::parseFeatureReply(reply(device));
    ASSERT_TRUE(reading);
    EXPECT_EQ(*reading, (ddc::VCPReading{50, 100}));

    ASSERT_EQ(device.write(0x37, 0x51, ddc::framePacket(ddc::writeArguments(0x10, 70))), 0);
    EXPECT_EQ(fake.values(3)[0x10], 70);
}

TEST_F(I2CDeviceTest, BusFaultsAreReportedAsTheirErrno) {
    struct Case {
        const char* fault;
        Status status;
    } cases[] = {{"nack", ENXIO}, {"eio", EIO}, {"busy", EBUSY}, {"timeout", ETIMEDOUT}};
    int bus = 10;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        fake.addMonitor(bus, edid, std::string("fault ") + c.fault);
        I2CDevice device = open(bus++);
        EXPECT_EQ(device.write(0x37, 0x51, getRequest(0x10)), c.status);
        Bytes buffer(11, 0);
        EXPECT_EQ(device.read(0x37, buffer), c.status);
    }
}

TEST_F(I2CDeviceTest, AMonitorUnpluggedDuringASetFailsThatWriteAndEveryLaterOne) {
    fake.addMonitor(5, edid, "fault unplug-on-set");
    I2CDevice device = open(5);
    EXPECT_EQ(device.write(0x37, 0x51, ddc::framePacket(ddc::writeArguments(0x10, 90))), ENXIO);
    EXPECT_EQ(device.write(0x37, 0x51, getRequest(0x10)), ENXIO);
    EXPECT_EQ(fake.values(5).count(0x10), 0u);
}

TEST_F(I2CDeviceTest, NoPermissionIsTellableFromOtherFailures) {
    fake.addMonitor(6, edid, "deny");
    I2CDevice device;
    Status status = device.open(fake.device(6));
    EXPECT_TRUE(isPermissionError(status));
    EXPECT_FALSE(device.isOpen());
    EXPECT_EQ(device.write(0x37, 0x51, getRequest(0x10)), EBADF);
    EXPECT_FALSE(isPermissionError(I2CDevice().open(fake.device(99))));
}

}  // namespace
}  // namespace vp
