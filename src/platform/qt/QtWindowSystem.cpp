#include "platform/qt/QtWindowSystem.h"

#include "platform/qt/QtWindowFlags.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace vp {

QtWindowSystem::QtWindowSystem(QtScreenSource source, MainQueue& main, WindowContentFactory contents)
    : source_(std::move(source)), main_(main), contents_(std::move(contents)) {}

QtWindowSystem::QtWindowSystem(WindowSystem& screens, MainQueue& main, WindowContentFactory contents)
    : QtWindowSystem(QtScreenSource{[&screens] { return screens.screens(); }, screens.shieldingWindowLevel(), {}, {}},
                     main, std::move(contents)) {}

std::optional<ScreenInfo> QtWindowSystem::mainScreen() {
    auto list = screens();
    if (list.empty()) return std::nullopt;
    return list.front();
}

std::unique_ptr<Window> QtWindowSystem::createWindow(const WindowConfig& config) {
    if (config.role == WindowRole::extraBrightness) return std::make_unique<FactorOnlyWindow>(config, main_);
    if (config.role == WindowRole::shade && source_.shadeAvailable && !source_.shadeAvailable()) return nullptr;
    return std::make_unique<QtWindow>(config, *this, contents_);
}

double QtWindowSystem::mainHeight(const std::vector<ScreenInfo>& screens) const {
    return screens.empty() ? 0 : screens.front().frame.height;
}

QScreen* QtWindowSystem::screenOf(DisplayID display) {
    if (!source_.outputName) return nullptr;
    const QString output = QString::fromStdString(source_.outputName(display));
    if (output.isEmpty()) return nullptr;
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->name() == output) return screen;
    return nullptr;
}

std::optional<DisplayID> QtWindowSystem::displayAt(const Rect& frame) {
    for (const ScreenInfo& s : screens())
        if (s.number && frame.midX() >= s.frame.minX() && frame.midX() < s.frame.maxX() &&
            frame.midY() >= s.frame.minY() && frame.midY() < s.frame.maxY())
            return s.number;
    return std::nullopt;
}

std::optional<DisplayID> QtWindowSystem::displayUnderPointer() {
    QScreen* pointer = QGuiApplication::screenAt(QCursor::pos());
    if (!pointer) return std::nullopt;
    for (const ScreenInfo& s : screens())
        if (s.number && screenOf(*s.number) == pointer) return s.number;
    return std::nullopt;
}

Rect QtWindowSystem::fromMainTo(const Rect& frame, DisplayID display) {
    const auto list = screens();
    if (list.empty()) return frame;
    const Rect& from = list.front().visibleFrame;
    for (const ScreenInfo& s : list) {
        if (s.number != display) continue;
        const Rect& to = s.visibleFrame;
        return {frame.x - from.midX() + to.midX(), frame.y - from.minY() + to.minY(), frame.width, frame.height};
    }
    return frame;
}

QPoint QtWindowSystem::shiftOf(const std::vector<ScreenInfo>& screens, std::optional<DisplayID> display) {
    if (!display) return {};
    QScreen* screen = screenOf(*display);
    if (!screen) return {};
    for (const ScreenInfo& s : screens)
        if (s.number == display) return screen->geometry().topLeft() - toQtRect(s.frame, mainHeight(screens)).topLeft();
    return {};
}

QRect QtWindowSystem::toQt(const Rect& frame, std::optional<DisplayID> display) {
    const auto list = screens();
    return toQtRect(frame, mainHeight(list)).translated(shiftOf(list, display));
}

Rect QtWindowSystem::fromQt(const QRect& rect, std::optional<DisplayID> display) {
    const auto list = screens();
    return fromQtRect(rect.translated(-shiftOf(list, display)), mainHeight(list));
}

}  // namespace vp
