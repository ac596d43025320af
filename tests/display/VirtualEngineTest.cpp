#include "display/ConfigScenario.h"

#include "display/VirtualEngine.h"
#include "support/TempDir.h"

namespace vp::test {
namespace {

using Sizes = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

Sizes sizes(const std::vector<VirtualDisplayMode>& modes) {
    Sizes out;
    for (const auto& m : modes) out.emplace_back(m.width, m.height);
    return out;
}

VirtualSpec spec(const std::string& name, std::int64_t w, std::int64_t h, bool hiDPI = false, double hz = 60) {
    VirtualSpec s;
    s.id = *Uuid::parse("12345678-9ABC-4DEF-8123-456789ABCDEF");
    s.name = name;
    s.width = w;
    s.height = h;
    s.hiDPI = hiDPI;
    s.refresh = hz;
    return s;
}

TEST(VirtualEngineModes, ScalesFloorAndDoubles) {
    const Sizes oneX1080 = {{1920, 1080}, {1728, 972}, {1536, 864}, {1440, 810}, {1280, 720}, {1152, 648}, {960, 540}};
    Sizes hiDPI1080 = {{3840, 2160}, {3456, 1944}, {3072, 1728}, {2880, 1620}, {2560, 1440}, {2304, 1296}};
    hiDPI1080.insert(hiDPI1080.end(), oneX1080.begin(), oneX1080.end());
    struct Row {
        std::int64_t w, h;
        bool hiDPI;
        Sizes expected;
    };
    const Row rows[] = {
        {1920, 1080, false, oneX1080},
        {1920, 1080, true, hiDPI1080},
        {1280, 720, false, {{1280, 720}, {1152, 648}, {1024, 576}, {960, 540}, {852, 480}, {768, 432}, {640, 360}}},
        {600, 300, false, {}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(sizes(VirtualEngine::modes(row.w, row.h, row.hiDPI, 60)), row.expected) << row.w << "x" << row.h;
    for (const auto& m : VirtualEngine::modes(1920, 1080, false, 50)) EXPECT_EQ(m.refreshRate, 50);
}

TEST(VirtualEngineDescriptor, IdentityAndSizeFromTheVirtualSpec) {
    VirtualDisplayDescriptor d = VirtualEngine::descriptor(spec("Side", 1100, 550, true), std::nullopt);
    EXPECT_EQ(d.name, "Side");
    EXPECT_EQ(d.maxPixelsWide, 2200u);
    EXPECT_EQ(d.maxPixelsHigh, 1100u);
    EXPECT_DOUBLE_EQ(d.sizeInMillimeters.width, 254);  // 110 points per inch
    EXPECT_DOUBLE_EQ(d.sizeInMillimeters.height, 127);
    EXPECT_EQ(d.serialNum, 0x12345678u);
    EXPECT_EQ(d.productID, 0x9ABCu);
    EXPECT_EQ(VirtualEngine::descriptor(spec("Side", 1100, 550), Size{600, 340}).sizeInMillimeters, (Size{600, 340}));
}

TEST(VirtualEngine, CreatesOneDisplayPerSpecAndDestroysIt) {
    Sim sim;
    VirtualEngine& engine = sim.context->virtualEngine();
    ASSERT_TRUE(engine.isAvailable());
    auto id = engine.create(spec("Side", 1280, 720, true, 50));
    ASSERT_TRUE(id);
    EXPECT_EQ(engine.create(spec("Side", 1280, 720, true, 50)), id);
    EXPECT_EQ(sim.platform->simVirtualDisplays.descriptors.size(), 1u) << "a live spec is not created twice";

    const SimDisplay* d = sim.displays().find(*id);
    ASSERT_TRUE(d);
    EXPECT_TRUE(engine.isOurs(*id));
    EXPECT_FALSE(engine.isOurs(2));
    ASSERT_FALSE(d->modes.empty());
    EXPECT_EQ(d->modes[0].width, 2560);
    EXPECT_EQ(d->modes[0].pixelWidth, 5120);
    EXPECT_EQ(d->modes[0].refresh, 50);
    EXPECT_EQ(engine.displayID(spec("", 0, 0).id), id);

    engine.destroy(spec("", 0, 0).id);
    engine.destroy(spec("", 0, 0).id);
    EXPECT_FALSE(sim.displays().find(*id));
    EXPECT_FALSE(engine.displayID(spec("", 0, 0).id));

    VirtualSpec other = spec("B", 1920, 1080);
    other.id = Uuid::random();
    engine.create(spec("A", 1280, 720));
    engine.create(other);
    EXPECT_EQ(sim.displays().all().size(), 5u);
    engine.destroyAll();
    EXPECT_EQ(sim.displays().all().size(), 3u);
}

TEST(VirtualEngine, RefusalsLeaveNoDisplayAndAreLoggedWithTheScreenName) {
    struct Row {
        nlohmann::json virtualDisplays;
        VirtualSpec spec;
        std::size_t createCalls, settingsCalls;
        std::string logged;
    };
    const Row rows[] = {
        {{{"available", false}}, spec("A", 1280, 720), 0, 0, ""},
        {{{"refuseCreate", true}}, spec("Refused", 1280, 720), 1, 0, " CGVirtualDisplay não foi criada para Refused\n"},
        {{{"refuseSettings", true}}, spec("A", 1280, 720), 1, 1, " applySettings falhou para A\n"},
        {nlohmann::json::object(), spec("Tiny", 600, 300), 1, 1, " applySettings falhou para Tiny\n"},
    };
    for (const auto& row : rows) {
        TempDir home;
        nlohmann::json s = defaultScenario();
        s["virtualDisplays"] = row.virtualDisplays;
        Sim sim(s, SimOptions{home.path().string()});
        SCOPED_TRACE(row.virtualDisplays.dump() + " " + row.spec.name);
        EXPECT_FALSE(sim.context->virtualEngine().create(row.spec));
        EXPECT_EQ(sim.displays().all().size(), 3u);
        EXPECT_EQ(sim.platform->simVirtualDisplays.descriptors.size(), row.createCalls);
        EXPECT_EQ(sim.platform->simVirtualDisplays.settings.size(), row.settingsCalls);
        EXPECT_FALSE(sim.context->virtualEngine().displayID(row.spec.id));
        const std::string log = readFile(sim.platform->system().logFilePath());
        EXPECT_TRUE(row.logged.empty() || log.find(row.logged) != std::string::npos) << log;
    }
}

}  // namespace
}  // namespace vp::test
