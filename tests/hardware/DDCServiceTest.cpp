#include "hardware/DDCService.h"
#include "support/HardwareHelpers.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

namespace vp::test {
namespace {

using Json = nlohmann::json;

Json monitorDisplay(DisplayID id, std::uint32_t vendor, std::uint32_t model, std::uint32_t serial) {
    return {{"id", id}, {"bounds", {1920 * (id - 1), 0, 1920, 1080}}, {"vendor", vendor}, {"model", model},
            {"serial", serial}};
}

// A platform with the given displays and video links, nothing started.
struct Bench {
    explicit Bench(Json displays, Json services) {
        platform.loadScenario({{"displays", displays}, {"hardware", {{"avServices", services}}}});
    }
    std::vector<std::shared_ptr<DDCService>> discover() {
        return DDCService::discover(platform.simHardware, platform.sleeper);
    }
    // Throws (failing the test) unless discovery finds exactly one service.
    std::shared_ptr<DDCService> only() {
        auto services = discover();
        if (services.size() != 1)
            throw std::logic_error("expected one DDC service, discovered " + std::to_string(services.size()));
        return services.front();
    }
    std::vector<long> pauses() { return millis(platform.sleeper.pauses()); }
    SimPlatform platform;
};

Bench oneMonitor(Json service) {
    service["display"] = 2;
    return Bench(Json::array({monitorDisplay(2, 100, 200, 300)}), Json::array({service}));
}

TEST(DDCService, WriteSendsThePacketTwiceAfterShortPausesAndFailsWithoutI2C) {
    Bench bench = oneMonitor(Json::object());
    auto monitor = bench.platform.simHardware.monitorFor(2);
    auto service = bench.only();
    EXPECT_TRUE(service->write(0x10, 50));
    EXPECT_EQ(packetTexts(*monitor), (std::vector<std::string>{"84 03 10 00 32 9A", "84 03 10 00 32 9A"}));
    EXPECT_EQ(bench.pauses(), (std::vector<long>{10, 10}));
    EXPECT_EQ(monitor->value(0x10)->current, 50);
    auto packets = monitor->packets();
    EXPECT_EQ(std::lround((packets[1].at - packets[0].at).count() * 1000), 10);

    // Without I2C no channel opens, and open ones fail.
    bench.platform.simHardware.removeI2C();
    EXPECT_FALSE(service->write(0x10, 1));
    EXPECT_TRUE(bench.discover().empty());
    EXPECT_EQ(monitor->packets().size(), 2u);
}

TEST(DDCService, ReadAsksTwiceWaitsAndParsesTheReply) {
    Bench bench = oneMonitor({{"vcp", {{"brightness", {70, 100}}}}});
    auto reading = bench.only()->read(0x10);
    ASSERT_TRUE(reading);
    EXPECT_EQ(*reading, (ddc::VCPReading{70, 100}));
    EXPECT_EQ(packetTexts(*bench.platform.simHardware.monitorFor(2)),
              (std::vector<std::string>{"82 01 10 AC", "82 01 10 AC"}));
    EXPECT_EQ(bench.pauses(), (std::vector<long>{10, 10, 50}));
}

// How long a monitor that misbehaves keeps the DDC/CI queue busy.
TEST(DDCService, MisbehavingMonitorsAreRetriedThenGivenUp) {
    struct Case {
        const char* what;
        Json service;
        bool write;  // else a read
        std::uint8_t code;
        bool succeeds;
        std::vector<long> pauses;
    };
    const Case cases[] = {
        {"refused write: four attempts", {{"refuseWrites", true}}, true, 0x10, false, repeated({10, 10, 30}, 4)},
        {"silent: four attempts", {{"noAnswer", true}}, false, 0x10, false, repeated({10, 10, 50, 40}, 4)},
        {"reply for another feature: retried", {{"wrongCodeTries", 2}, {"vcp", {{"volume", {40, 100}}}}}, false, 0x62,
         true, {10, 10, 50, 40, 10, 10, 50, 40, 10, 10, 50}},
        {"unsupported feature: an answer, not a retry", {{"vcp", {{"brightness", {70, 100}}}}}, false, 0x62, false,
         {10, 10, 50}},
        {"not ready in time", {{"replyDelayMs", 60}}, false, 0x10, false, repeated({10, 10, 50, 40}, 4)},
    };
    for (const Case& c : cases) {
        Bench bench = oneMonitor(c.service);
        const bool ok = c.write ? bench.only()->write(c.code, 50) : bench.only()->read(c.code).has_value();
        EXPECT_EQ(ok, c.succeeds) << c.what;
        EXPECT_EQ(bench.pauses(), c.pauses) << c.what;
    }
}

TEST(DDCService, DiscoveryUsesExternalLinksOnlyAndKeepsWhatThePlatformKnows) {
    Bench bench(Json::array({monitorDisplay(1, 1552, 41233, 0), monitorDisplay(2, 0x4C2D, 0x1234, 0x01020304)}),
                Json::array({{{"display", 1}, {"location", "Embedded"}},
                             {{"display", 1}, {"location", nullptr}},
                             {{"display", 2}, {"connector", "DP-1"}, {"proven", true}},
                             {{"display", 2}, {"edid", nullptr}},
                             {{"display", 2}, {"edid", "00FFFFFFFFFFFF004C2D3412"}}}));
    auto services = bench.discover();
    ASSERT_EQ(services.size(), 3u);
    EXPECT_EQ(services[0]->vendor(), 0x4C2Du);
    EXPECT_EQ(services[0]->product(), 0x1234u);
    EXPECT_EQ(services[0]->serial(), 0x01020304u);
    EXPECT_EQ(services[0]->link().connector, "DP-1");
    EXPECT_EQ(services[0]->link().display, 2u);
    EXPECT_TRUE(services[1]->link().edid.empty());
    EXPECT_FALSE(services[1]->link().display);
    EXPECT_FALSE(services[1]->vendor());
    EXPECT_EQ(services[2]->link().edid.size(), 12u) << "too short to name the monitor";
    EXPECT_FALSE(services[2]->vendor());
    EXPECT_FALSE(services[2]->serial());
    bench.platform.simHardware.enumerationFails = true;
    EXPECT_TRUE(bench.discover().empty());
}

// Links made from EDID identities (and the display the platform proved, if
// any), in the order the system lists them.
struct PairingLink {
    std::uint32_t vendor, product, serial;
    std::optional<DisplayID> proven = std::nullopt;
};

struct Pairing {
    const char* what;
    std::vector<DisplayIdentity> displays;
    std::vector<PairingLink> links;
    std::map<DisplayID, std::size_t> expected;  // display → index of link
    std::set<DisplayID> twins = {};
};

void expectPairing(const Pairing& c) {
    SimPlatform platform;
    std::vector<std::shared_ptr<DDCService>> services;
    for (const PairingLink& l : c.links) {
        MonitorLink link;
        link.edid = SimHardware::makeEDID(l.vendor, l.product, l.serial);
        link.display = l.proven;
        services.push_back(std::make_shared<DDCService>(nullptr, platform.sleeper, std::move(link)));
    }
    DDCPairing pairing = DDCService::match(c.displays, services);
    std::map<DisplayID, std::size_t> got;
    for (const auto& [id, service] : pairing.paired)
        got[id] = std::size_t(std::find(services.begin(), services.end(), service) - services.begin());
    EXPECT_EQ(got, c.expected) << c.what;
    EXPECT_EQ(pairing.twins, c.twins) << c.what;
}

TEST(DDCService, MatchPairsByIdentityThenModelThenLastResort) {
    const Pairing cases[] = {
        {"identical monitors told apart by serial", {{5, 10, 20, 222}, {6, 10, 20, 111}}, {{10, 20, 111}, {10, 20, 222}},
         {{5, 1}, {6, 0}}},
        {"a serial tells one monitor from its serial-0 twin", {{5, 10, 20, 0}, {6, 10, 20, 9}},
         {{10, 20, 9}, {10, 20, 0}}, {{5, 1}, {6, 0}}},
        {"model pass when the serials disagree", {{5, 10, 20, 7}}, {{10, 20, 8}}, {{5, 0}}},
        {"last resort pairs the one left with the one left", {{5, 10, 20, 7}, {6, 30, 40, 9}},
         {{99, 98, 97}, {10, 20, 7}}, {{5, 1}, {6, 0}}},
        {"no last resort with two left", {{5, 10, 20, 7}, {6, 30, 40, 9}}, {{99, 98, 97}, {88, 87, 86}}, {}},
        {"more links than displays", {{6, 30, 40, 9}}, {{10, 20, 7}, {30, 40, 9}}, {{6, 1}}},
    };
    for (const auto& c : cases) expectPairing(c);
}

// Identical monitors are never paired by guess: only proof, or a link that
// nothing else could own, tells them apart.
TEST(DDCService, MatchNeverGuessesBetweenTwins) {
    const Pairing cases[] = {
        {"serial 0 everywhere", {{5, 10, 20, 0}, {6, 10, 20, 0}}, {{10, 20, 0}, {10, 20, 0}}, {}, {5, 6}},
        {"one link that either twin could own", {{5, 10, 20, 0}, {6, 10, 20, 0}}, {{10, 20, 0}}, {}, {5, 6}},
        {"twins sharing a non-zero serial", {{5, 10, 20, 7}, {6, 10, 20, 7}}, {{10, 20, 7}, {10, 20, 7}}, {}, {5, 6}},
        {"one display, two identical links (its twin switched off)", {{5, 10, 20, 0}}, {{10, 20, 0}, {10, 20, 0}}, {},
         {5}},
        {"proof pairs twins whatever the order", {{5, 10, 20, 0}, {6, 10, 20, 0}}, {{10, 20, 0, 6}, {10, 20, 0, 5}},
         {{5, 1}, {6, 0}}},
        {"proof of one twin leaves the other one choice", {{5, 10, 20, 0}, {6, 10, 20, 0}},
         {{10, 20, 0}, {10, 20, 0, 6}}, {{5, 0}, {6, 1}}},
        {"proof beats identity", {{5, 10, 20, 7}, {6, 30, 40, 9}}, {{10, 20, 7, 6}, {30, 40, 9, 5}}, {{5, 1}, {6, 0}}},
        {"a link proven for another display is nobody else's", {{5, 10, 20, 7}}, {{10, 20, 7, 9}}, {}},
    };
    for (const auto& c : cases) expectPairing(c);
}

}  // namespace
}  // namespace vp::test
