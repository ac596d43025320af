#include "UiTestMain.h"

#include "platform/qt/QtMainQueue.h"
#include "platform/qt/QtWindowFlags.h"
#include "platform/qt/QtWindowSystem.h"
#include "platform/qt/QtWindows.h"
#include "platform/sim/SimPlatform.h"
#include "ui/hud/HUDView.h"
#include "ui/windows/PiPView.h"
#include "ui/windows/WindowContents.h"

#include <QApplication>
#include <QCursor>
#include <QScreen>
#include <QTest>

using namespace vp;

namespace {

WindowConfig shadeConfig() {
    WindowConfig c;
    c.role = WindowRole::shade;
    c.level = 2147483628 - 1;
    c.collectionBehavior = 0x151;
    c.sharingType = 0;
    c.ignoresMouseEvents = true;
    c.opaque = false;
    c.hasShadow = false;
    return c;
}

WindowConfig hudConfig() {
    WindowConfig c;
    c.role = WindowRole::hud;
    c.contentRect = {0, 0, 220, 64};
    c.styleMask = style::nonactivatingPanel;
    c.level = level::status;
    c.collectionBehavior = 273;
    c.ignoresMouseEvents = true;
    c.opaque = false;
    return c;
}

WindowConfig pipConfig() {
    WindowConfig c;
    c.role = WindowRole::pip;
    c.contentRect = {0, 0, 480, 270};
    c.styleMask = 155;
    c.level = level::floating;
    c.collectionBehavior = 257;
    c.sharingType = 0;
    c.title = "Studio Display — PiP";
    return c;
}

struct Desk {
    SimPlatform sim;
    QtMainQueue main;
    QtWindowSystem windows{sim.simWindows, main, ui::makeWindowContent};
    Desk() { sim.loadScenarioFile(SimPlatform::defaultScenarioPath()); }
};

// Two displays: the main one, and one to its left that Qt shows as its own
// (offscreen) screen, which Qt has put at the top left of its desktop.
struct NamedDesk {
    static constexpr DisplayID kMain = 1, kLeft = 2;
    QtMainQueue main;
    QString output = QGuiApplication::primaryScreen()->name();
    QSize size = QGuiApplication::primaryScreen()->geometry().size();
    bool named = true;
    bool shade = true;
    QtWindowSystem windows{QtScreenSource{[this] { return list(); }, 2000,
                                          [this](DisplayID id) {
                                              return id == kLeft && named ? output.toStdString() : std::string();
                                          },
                                          [this] { return shade; }},
                           main, {}};
    Rect left() const { return {-double(size.width()), 0, double(size.width()), double(size.height())}; }
    std::vector<ScreenInfo> list() const {
        ScreenInfo m{kMain, "Main", {0, 0, 1920, 1080}, {0, 0, 1920, 1080}, 1.0, std::nullopt};
        ScreenInfo l{kLeft, "Left", left(), left(), 1.0, std::nullopt};
        return {m, l};
    }
};

int visibleTopLevels() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible()) ++n;
    return n;
}

}  // namespace

class QtWindowsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void coordinatesFlipAroundTheMainScreen() {
        // A 200-point window 90 points above the bottom of a 1080-high main
        // screen sits 1080 − 90 − 64 from Qt's top.
        Rect r{850, 90, 220, 64};
        QCOMPARE(toQtRect(r, 1080), QRect(850, 926, 220, 64));
        QCOMPARE(fromQtRect(toQtRect(r, 1080), 1080), r);
        // A screen to the left of and above the main one.
        Rect left{-1920, 1080, 1920, 1200};
        QCOMPARE(toQtRect(left, 1080), QRect(-1920, -1200, 1920, 1200));
    }

    void shadeCoversItsScreenAndComesAndGoes() {
        Desk desk;
        auto screen = desk.windows.mainScreen();
        QVERIFY(screen);
        WindowConfig c = shadeConfig();
        c.contentRect = screen->frame;
        auto window = desk.windows.createWindow(c);
        auto* qt = dynamic_cast<QtWindow*>(window.get());
        QVERIFY(qt);
        window->setBackgroundColor({0, 0, 0, 0.4});
        window->setFrame(screen->frame);
        window->orderFrontRegardless();
        QVERIFY(window->isVisible());
        QCOMPARE(window->frame(), screen->frame);
        QCOMPARE(qt->widget()->geometry().topLeft(), QPoint(0, 0));
        window->orderOut();
        QVERIFY(!window->isVisible());
        window->close();
        window->orderFrontRegardless();
        QVERIFY(!window->isVisible());
    }

    void hudShowsItsLevelAndFades() {
        Desk desk;
        auto window = desk.windows.createWindow(hudConfig());
        auto* qt = dynamic_cast<QtWindow*>(window.get());
        window->setLevelContent(0.25, "sun.min.fill");
        auto* hud = dynamic_cast<ui::HUDView*>(qt->widget()->content());
        QVERIFY(hud);
        QCOMPARE(hud->percentText(), QStringLiteral("25"));
        window->setAlpha(1);
        window->orderFrontRegardless();
        bool done = false;
        QElapsedTimer clock;
        clock.start();
        window->fadeOut(0.35, [&] { done = true; });
        bool midway = false;
        while (!done && clock.elapsed() < 2000) {
            QTest::qWait(10);
            midway = midway || (window->alpha() > 0 && window->alpha() < 1);
        }
        QVERIFY(done);
        QVERIFY(midway);
        QVERIFY(clock.elapsed() >= 340);
        QCOMPARE(window->alpha(), 0.0);
    }

    void aNewShowStopsAFade() {
        Desk desk;
        auto window = desk.windows.createWindow(hudConfig());
        bool done = false;
        window->orderFrontRegardless();
        window->fadeOut(0.2, [&] { done = true; });
        window->setAlpha(1);
        window->orderFrontRegardless();
        QTest::qWait(400);
        QVERIFY(!done);
        QCOMPARE(window->alpha(), 1.0);
    }

    void pipLetterboxesTheLatestFrameWithoutCopying() {
        Desk desk;
        auto window = desk.windows.createWindow(pipConfig());
        auto* view = dynamic_cast<ui::PiPView*>(dynamic_cast<QtWindow*>(window.get())->widget()->content());
        QVERIFY(view);
        window->setContentSize({100, 100});
        auto pixels = std::make_shared<std::vector<std::uint8_t>>(4 * 2 * 4, 0xFF);
        auto frame = std::make_shared<CapturedFrame>(CapturedFrame{4, 2, *pixels, pixels});
        window->setFrameContent(frame);
        QCOMPARE(view->frameImage().constBits(), pixels->data());
        QCOMPARE(view->frameTarget(), QRectF(0, 25, 100, 50));

        // A frame whose buffer is too short is not drawn.
        auto shortFrame = std::make_shared<CapturedFrame>(CapturedFrame{4, 4, *pixels, pixels});
        window->setFrameContent(shortFrame);
        QVERIFY(view->frameImage().isNull());
    }

    void pipKeepsItsAspectWhenResized() {
        Desk desk;
        auto window = desk.windows.createWindow(pipConfig());
        auto* widget = dynamic_cast<QtWindow*>(window.get())->widget();
        window->setContentAspectRatio({1, 0.5});
        window->orderFrontRegardless();
        widget->resize(400, 380);
        QTRY_COMPARE(widget->height(), 200);
    }

    void userCloseReportsAndMayDestroyTheWindowButProgramCloseDoesNot() {
        Desk desk;
        int userCloses = 0;
        std::unique_ptr<Window> window = desk.windows.createWindow(pipConfig());
        window->setOnUserClose([&] {
            ++userCloses;
            window.reset();
        });
        window->orderFrontRegardless();
        QPointer<QWidget> widget = dynamic_cast<QtWindow*>(window.get())->widget();
        widget->close();
        QCOMPARE(userCloses, 1);
        QVERIFY(!window);
        QTRY_VERIFY(!widget);

        auto second = desk.windows.createWindow(pipConfig());
        second->setOnUserClose([&] { ++userCloses; });
        second->orderFrontRegardless();
        second->close();
        QCOMPARE(userCloses, 1);
    }

    void aWindowForADisplayLandsOnTheScreenOfItsOutput() {
        NamedDesk desk;
        if (desk.output.isEmpty()) QSKIP("this Qt platform leaves its screen unnamed");
        WindowConfig c = shadeConfig();
        c.screen = NamedDesk::kLeft;
        c.contentRect = desk.left();
        auto window = desk.windows.createWindow(c);
        window->setFrame(desk.left());
        auto* widget = dynamic_cast<QtWindow*>(window.get())->widget();
        QCOMPARE(widget->geometry(), QGuiApplication::primaryScreen()->geometry());
        QCOMPARE(widget->screen(), QGuiApplication::primaryScreen());
        QCOMPARE(window->frame(), desk.left());

        // Without the output's name, by geometry: left of and below Qt's origin.
        desk.named = false;
        window->setFrame(desk.left());
        QCOMPARE(widget->geometry().topLeft(), QPoint(-desk.size.width(), 1080 - desk.size.height()));
    }

    void theHUDShowsOnTheScreenUnderThePointer() {
        NamedDesk desk;
        if (desk.output.isEmpty()) QSKIP("this Qt platform leaves its screen unnamed");
        QCursor::setPos(QGuiApplication::primaryScreen()->geometry().center());
        auto window = desk.windows.createWindow(hudConfig());
        // Where the core puts it: low in the middle of the main screen.
        window->setFrameOrigin({960 - 110, 90});
        auto* widget = dynamic_cast<QtWindow*>(window.get())->widget();
        QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(widget->geometry().center().x(), screen.center().x());
        QCOMPARE(widget->geometry().bottom(), screen.bottom() - 90);
    }

    void noShadeWhileNothingCanBlendIt() {
        NamedDesk desk;
        desk.shade = false;
        QVERIFY(!desk.windows.createWindow(shadeConfig()));
        QVERIFY(desk.windows.createWindow(hudConfig()));
        desk.shade = true;
        QVERIFY(desk.windows.createWindow(shadeConfig()));
    }

    void extraBrightnessKeepsTheFactorAndShowsNothing() {
        Desk desk;
        QVERIFY(!desk.windows.hasExtendedRangeCompositor());
        int before = visibleTopLevels();
        WindowConfig c = shadeConfig();
        c.role = WindowRole::extraBrightness;
        c.level = level::overlay;
        auto window = desk.windows.createWindow(c);
        window->setMultiplyFactor(1.4);
        window->orderFrontRegardless();
        auto* overlay = dynamic_cast<FactorOnlyWindow*>(window.get());
        QVERIFY(overlay);
        QCOMPARE(overlay->multiplyFactor(), 1.4);
        QVERIFY(window->isVisible());
        QCOMPARE(visibleTopLevels(), before);
    }
};

VP_UI_TEST(QtWindowsTest)
#include "QtWindowsTest.moc"
