#include "hardware/DDCService.h"
#include "support/HardwareHelpers.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace vp::test {
namespace {

using Json = nlohmann::json;

Json monitorDisplay(DisplayID id, std::uint32_t vendor, std::uint32_t model, std::uint32_t serial) {
    return {{"id", id}, {"bounds", {1920 * (id - 1), 0, 1920, 1080}}, {"vendor", vendor}, {"model", model},
            {"serial", serial}};
}

// A platform with the given displays and AV services, nothing started.
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

TEST(DDCService, WriteSendsThePacketTwiceAfterShortPauses) {
    Bench bench = oneMonitor(Json::object());
    auto monitor = bench.platform.simHardware.monitorFor(2);
    EXPECT_TRUE(bench.only()->write(0x10, 50));
    EXPECT_EQ(packetTexts(*monitor), (std::vector<std::string>{"84 03 10 00 32 9A", "84 03 10 00 32 9A"}));
    EXPECT_EQ(bench.pauses(), (std::vector<long>{10, 10}));
    EXPECT_EQ(monitor->value(0x10)->current, 50);
    auto packets = monitor->packets();
    EXPECT_EQ(std::lround((packets[1].at - packets[0].at).count() * 1000), 10);
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

TEST(DDCService, RefusedWriteCostsFourAttempts) {
    Bench bench = oneMonitor({{"refuseWrites", true}});
    EXPECT_FALSE(bench.only()->write(0x10, 50));
    EXPECT_EQ(bench.pauses(), repeated({10, 10, 30}, 4));
    EXPECT_EQ(bench.platform.simHardware.monitorFor(2)->packets().size(), 8u);
    EXPECT_EQ(bench.platform.simHardware.monitorFor(2)->value(0x10)->current, 50);
}

TEST(DDCService, SilentMonitorCostsFourAttemptsPerRead) {
    Bench bench = oneMonitor({{"noAnswer", true}});
    EXPECT_FALSE(bench.only()->read(0x10));
    EXPECT_EQ(bench.pauses(), repeated({10, 10, 50, 40}, 4));
    EXPECT_NEAR(bench.platform.clock.now().count(), 0.440, 1e-9);
}

TEST(DDCService, ReplyForAnotherFeatureIsRetried) {
    Bench bench = oneMonitor({{"wrongCodeTries", 2}, {"vcp", {{"volume", {40, 100}}}}});
    auto reading = bench.only()->read(0x62);
    ASSERT_TRUE(reading);
    EXPECT_EQ(reading->current, 40);
    EXPECT_EQ(bench.pauses(), (std::vector<long>{10, 10, 50, 40, 10, 10, 50, 40, 10, 10, 50}));
}

TEST(DDCService, UnsupportedFeatureIsAnAnswerNotARetry) {
    Bench bench = oneMonitor({{"vcp", {{"brightness", {70, 100}}}}});
    EXPECT_FALSE(bench.only()->read(0x62));
    EXPECT_EQ(bench.pauses(), (std::vector<long>{10, 10, 50}));
}

TEST(DDCService, MonitorThatIsNotReadyInTimeIsRetriedThenGivenUp) {
    Bench bench = oneMonitor({{"replyDelayMs", 60}});
    EXPECT_FALSE(bench.only()->read(0x10));
    EXPECT_EQ(bench.platform.simHardware.monitorFor(2)->readTimes().size(), 4u);
}

TEST(DDCService, MissingEntryPointsMeanNoServicesAndFailedExchanges) {
    Bench bench = oneMonitor(Json::object());
    auto service = bench.only();
    bench.platform.simHardware.removeI2CEntryPoints();
    EXPECT_FALSE(service->write(0x10, 1));
    EXPECT_TRUE(bench.discover().empty());
    EXPECT_TRUE(bench.pauses().empty());
}

TEST(DDCService, DiscoveryUsesExternalServicesOnlyAndReadsTheirEDID) {
    Bench bench(Json::array({monitorDisplay(1, 1552, 41233, 0), monitorDisplay(2, 0x4C2D, 0x1234, 0x01020304)}),
                Json::array({{{"display", 1}, {"location", "Embedded"}},
                             {{"display", 1}, {"location", nullptr}},
                             {{"display", 2}},
                             {{"display", 2}, {"edid", nullptr}}}));
    auto services = bench.discover();
    ASSERT_EQ(services.size(), 2u);
    EXPECT_EQ(services[0]->vendor(), 0x4C2Du);
    EXPECT_EQ(services[0]->product(), 0x1234u);
    EXPECT_EQ(services[0]->serial(), 0x01020304u);
    EXPECT_FALSE(services[1]->edid());
    EXPECT_FALSE(services[1]->vendor());
    bench.platform.simHardware.enumerationFails = true;
    EXPECT_TRUE(bench.discover().empty());
}

TEST(DDCService, ShortEDIDGivesNoIdentity) {
    Bench bench = oneMonitor({{"edid", "00FFFFFFFFFFFF004C2D3412"}});
    auto service = bench.only();
    EXPECT_TRUE(service->edid());
    EXPECT_FALSE(service->vendor());
    EXPECT_FALSE(service->serial());
}

// Services made from EDID identities, in the order the system lists them.
struct Pairing {
    const char* what;
    std::vector<DisplayIdentity> displays;
    std::vector<std::array<std::uint32_t, 3>> services;  // vendor, product, serial
    std::map<DisplayID, std::size_t> expected;           // display → index of service
};

TEST(DDCService, MatchPairsByIdentityThenModelThenLastResort) {
    const Pairing cases[] = {
        {"identical monitors told apart by serial",
         {{5, 10, 20, 222}, {6, 10, 20, 111}},
         {{10, 20, 111}, {10, 20, 222}},
         {{5, 1}, {6, 0}}},
        {"serial 0 everywhere pairs in display order",
         {{5, 10, 20, 0}, {6, 10, 20, 0}},
         {{10, 20, 0}, {10, 20, 0}},
         {{5, 0}, {6, 1}}},
        {"model pass when the serials disagree",
         {{5, 10, 20, 7}},
         {{10, 20, 8}},
         {{5, 0}}},
        {"last resort pairs the one left with the one left",
         {{5, 10, 20, 7}, {6, 30, 40, 9}},
         {{99, 98, 97}, {10, 20, 7}},
         {{5, 1}, {6, 0}}},
        {"no last resort with two left",
         {{5, 10, 20, 7}, {6, 30, 40, 9}},
         {{99, 98, 97}, {88, 87, 86}},
         {}},
        {"more services than displays",
         {{6, 30, 40, 9}},
         {{10, 20, 7}, {30, 40, 9}},
         {{6, 1}}},
    };
    for (const auto& c : cases) {
        SimPlatform platform;
        std::vector<std::shared_ptr<DDCService>> services;
        for (const auto& [vendor, product, serial] : c.services)
            services.push_back(std::make_shared<DDCService>(platform.simHardware.i2c(), platform.sleeper, nullptr,
                                                            SimHardware::makeEDID(vendor, product, serial)));
        auto pairs = DDCService::match(c.displays, services);
        std::map<DisplayID, std::size_t> got;
        for (const auto& [id, service] : pairs)
            got[id] = std::size_t(std::find(services.begin(), services.end(), service) - services.begin());
        EXPECT_EQ(got, c.expected) << c.what;
    }
}

}  // namespace
}  // namespace vp::test
