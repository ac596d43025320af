#include "display/ConfigScenario.h"

#include "display/VirtualEngine.h"

namespace vp::test {
namespace {

using namespace std::chrono_literals;

// A 4K monitor reporting 0 Hz that is the main display, and a 1080p one.
nlohmann::json twoMonitors() {
    return scenario({monitor(1, 0, 0, 3840, 2160, 0), monitor(2, 3840, 0, 1920, 1080)});
}

bool logged(SimDisplays& displays, const std::string& call) {
    const auto& log = displays.transactionLog;
    return std::find(log.begin(), log.end(), call) != log.end();
}

VirtualSpec specFor(const std::string& name, double w, double h) {
    Screen monitor;
    monitor.name = name;
    monitor.nativePixels = {w, h};
    return DisplayManager::hiDPISpec(monitor);
}

struct HiDPISim : Sim {
    using Sim::Sim;
    VirtualEngine& engine() { return context->virtualEngine(); }
    Screen screen(DisplayID id) { return *manager().screen(id); }
    std::optional<DisplayID> virtualOf(DisplayID monitor) {
        auto entry = manager().state().hiDPIMap.find(screen(monitor).uuid);
        if (entry == manager().state().hiDPIMap.end()) return std::nullopt;
        return engine().displayID(entry->second.id);
    }
    HiDPIMap stored() { return decodeHiDPI(*defaults().data("hidpi")).value(); }
};

TEST(HiDPISpec, RefreshIsTheMonitorsRoundedOr60) {
    Screen monitor;
    monitor.nativePixels = {3840, 2160};
    for (auto [hz, expected] : {std::pair{0.0, 60.0}, {59.94, 60.0}, {144.0, 144.0}}) {
        monitor.refresh = hz;
        EXPECT_EQ(DisplayManager::hiDPISpec(monitor).refresh, expected) << hz;
    }
}

TEST(HiDPI, OfferedOnExternalMonitorsFromWidth1280) {
    Started sim;
    DisplayManager& m = sim.manager();
    EXPECT_FALSE(m.canOfferHiDPI(*m.screen(1))) << "built-in";
    EXPECT_TRUE(m.canOfferHiDPI(*m.screen(2)));
    Screen narrow = *m.screen(3);
    narrow.nativePixels.width = 1279;
    EXPECT_FALSE(m.canOfferHiDPI(narrow));
    narrow.nativePixels.width = 1280;
    EXPECT_TRUE(m.canOfferHiDPI(narrow));
    Screen ours = *m.screen(3);
    ours.isOurVirtual = true;
    EXPECT_FALSE(m.canOfferHiDPI(ours));

    sim.platform->simVirtualDisplays.available = false;
    EXPECT_FALSE(m.canOfferHiDPI(*m.screen(2)));
}

TEST(HiDPI, EnableOnTheMainMonitorStepByStep) {
    HiDPISim sim(twoMonitors());
    sim.start();
    DisplayManager& m = sim.manager();
    m.enableHiDPI(sim.screen(1));

    // At once: the virtual screen exists and the pairing is stored.
    ASSERT_EQ(m.state().hiDPIMap.size(), 1u);
    const VirtualSpec spec = m.state().hiDPIMap.begin()->second;
    EXPECT_EQ(spec.name, "Monitor 1 HiDPI");
    EXPECT_TRUE(m.hiDPIOn(sim.screen(1)));
    EXPECT_EQ(sim.stored(), m.state().hiDPIMap);
    auto v = sim.engine().displayID(spec.id);
    ASSERT_TRUE(v);
    const auto& descriptor = sim.platform->simVirtualDisplays.descriptors.back();
    EXPECT_EQ(descriptor.sizeInMillimeters, (Size{600, 340})) << "the monitor's own size";
    std::string mirrorCall = "mirror 1 " + std::to_string(*v);

    // 1.2 s later the monitor mirrors it, for this process only.
    sim.platform->advance(1.19s);
    EXPECT_FALSE(logged(sim.displays(), mirrorCall));
    sim.platform->advance(0.02s);
    EXPECT_TRUE(logged(sim.displays(), mirrorCall));
    EXPECT_EQ(sim.displays().transactionLog.back(), "complete 0");
    EXPECT_EQ(sim.displays().mirrorsDisplay(1), *v);

    // 1.0 s after that the largest fitting HiDPI mode, and the virtual screen
    // takes the monitor's place as main display.
    std::string modeCall = "mode " + std::to_string(*v) + " 3840x2160@7680x4320@60";
    sim.platform->advance(0.97s);
    EXPECT_FALSE(logged(sim.displays(), modeCall));
    sim.platform->advance(0.03s);
    EXPECT_TRUE(logged(sim.displays(), modeCall));
    EXPECT_TRUE(logged(sim.displays(), "main " + std::to_string(*v)));

    sim.idle();
    EXPECT_EQ(m.currentModeID(*v), "3840x2160@7680x4320@60");
    EXPECT_TRUE(m.screen(*v)->isMain);
    EXPECT_EQ(m.screen(1)->mirrorOf, *v);
    EXPECT_EQ(m.physicalForHiDPI(*v)->id, 1u);
    EXPECT_FALSE(m.state().lastError);
}

TEST(HiDPI, OnAgainReusesTheStoredSpecAndDisableUnmirrorsAtOnceAndRemovesTheScreenLater) {
    HiDPISim sim(twoMonitors());
    sim.start();
    DisplayManager& m = sim.manager();
    m.enableHiDPI(sim.screen(2));
    sim.idle();
    VirtualSpec first = m.state().hiDPIMap.begin()->second;
    std::string firstUuid = m.screen(*sim.virtualOf(2))->uuid;
    // With "restoreHiDPI" off the entry outlives its screen; turning the
    // pairing on again must bring back the same identity.
    sim.engine().destroyAll();
    sim.idle();
    m.enableHiDPI(sim.screen(2));
    sim.idle();
    EXPECT_EQ(m.state().hiDPIMap.begin()->second, first);
    EXPECT_EQ(m.screen(*sim.virtualOf(2))->uuid, firstUuid);
    DisplayID v = *sim.virtualOf(2);
    EXPECT_FALSE(logged(sim.displays(), "main " + std::to_string(v))) << "the monitor was not main";

    std::size_t mark = sim.displays().transactionLog.size();
    m.disableHiDPI(sim.screen(2));
    EXPECT_EQ(callsSince(sim.displays(), mark), (std::vector<std::string>{"begin", "mirror 2 0", "complete 2"}));
    sim.platform->advance(0.79s);
    EXPECT_TRUE(sim.displays().find(v));
    EXPECT_EQ(m.state().hiDPIMap.size(), 1u);
    sim.platform->advance(0.02s);
    EXPECT_FALSE(sim.displays().find(v));
    EXPECT_TRUE(m.state().hiDPIMap.empty());
    EXPECT_TRUE(sim.stored().empty());
    sim.idle();
    EXPECT_EQ(m.state().screens.size(), 2u);
    EXPECT_FALSE(m.screen(2)->mirrorOf);
}

TEST(HiDPI, FailuresNeedANativeSizeAVirtualScreenAndAMirror) {
    HiDPISim sim(twoMonitors());
    sim.start();
    Screen unknown = sim.screen(2);
    unknown.nativePixels = {};
    sim.manager().enableHiDPI(unknown);
    EXPECT_TRUE(sim.platform->simVirtualDisplays.descriptors.empty());
    EXPECT_FALSE(sim.manager().state().lastError);

    sim.platform->simVirtualDisplays.refuseCreate = true;
    sim.manager().enableHiDPI(sim.screen(2));
    sim.idle();
    EXPECT_EQ(sim.manager().state().lastError, L("Não foi possível criar a tela virtual."));
    EXPECT_TRUE(sim.manager().state().hiDPIMap.empty());
    EXPECT_EQ(sim.displays().transactionLog.size(), 0u);

    // A refused mirror is reported, and the mode is still chosen.
    sim.platform->simVirtualDisplays.refuseCreate = false;
    sim.displays().refusals.mirror = 1001;
    sim.manager().enableHiDPI(sim.screen(1));
    sim.idle();
    EXPECT_EQ(sim.manager().state().lastError, refusedText(1001));
    ASSERT_TRUE(sim.virtualOf(1));
    EXPECT_EQ(sim.manager().state().hiDPIMap.size(), 1u);
    EXPECT_EQ(sim.manager().currentModeID(*sim.virtualOf(1)), "3840x2160@7680x4320@60");
    EXPECT_FALSE(sim.manager().screen(1)->mirrorOf);
}

TEST(HiDPI, RestoredAtLaunchExceptOnAMonitorThatAlreadyMirrors) {
    nlohmann::json mirroring = monitor(3, 0, 0, 1920, 1080);
    mirroring["mirrorOf"] = 1;
    HiDPISim sim(scenario({monitor(1, 0, 0, 3840, 2160), monitor(2, 3840, 0, 1920, 1080), mirroring}));
    VirtualSpec two = specFor("Two", 1920, 1080);
    VirtualSpec three = specFor("Three", 1920, 1080);
    sim.defaults().setData("hidpi", *encodeHiDPI({{*sim.displays().uuid(2), two}, {*sim.displays().uuid(3), three}}));

    sim.manager().start();
    sim.platform->advance(0.99s);
    EXPECT_TRUE(sim.platform->simVirtualDisplays.descriptors.empty());
    sim.platform->advance(0.02s);
    ASSERT_EQ(sim.platform->simVirtualDisplays.descriptors.size(), 1u);
    EXPECT_EQ(sim.platform->simVirtualDisplays.descriptors[0].name, "Two HiDPI");
    sim.idle();
    EXPECT_EQ(sim.manager().screen(2)->mirrorOf, sim.engine().displayID(two.id));
    EXPECT_EQ(sim.manager().state().hiDPIMap.size(), 2u) << "the skipped monitor keeps its entry";
}

TEST(HiDPI, NotRestoredWhenTheSettingIsOff) {
    HiDPISim sim(twoMonitors());
    VirtualSpec two = specFor("Two", 1920, 1080);
    sim.defaults().setData("hidpi", *encodeHiDPI({{*sim.displays().uuid(2), two}}));
    sim.defaults().setBool("restoreHiDPI", false);
    sim.start();
    EXPECT_TRUE(sim.platform->simVirtualDisplays.descriptors.empty());
    EXPECT_TRUE(sim.manager().hiDPIOn(sim.screen(2)));
}

TEST(HiDPI, PairingSurvivesQuitAndComesBackAtTheNextLaunch) {
    HiDPISim sim(twoMonitors());
    sim.start();
    sim.manager().enableHiDPI(sim.screen(2));
    sim.idle();
    Uuid specID = sim.manager().state().hiDPIMap.begin()->second.id;

    // The process ends: its virtual screens and its temporary mirror go away.
    sim.context.reset();
    sim.displays().endProcess();
    EXPECT_EQ(sim.displays().all().size(), 2u);
    EXPECT_EQ(sim.displays().mirrorsDisplay(2), 0u);
    EXPECT_EQ(sim.stored().begin()->second.id, specID);

    sim.context = std::make_unique<AppContext>(*sim.platform);
    sim.context->install();
    sim.start();
    EXPECT_EQ(sim.manager().state().hiDPIMap.begin()->second.id, specID);
    ASSERT_TRUE(sim.virtualOf(2));
    EXPECT_EQ(sim.manager().screen(2)->mirrorOf, sim.virtualOf(2));
}

}  // namespace
}  // namespace vp::test
