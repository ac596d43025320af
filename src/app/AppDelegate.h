#pragma once
// What the application does when the system has finished launching it, when
// it hands over URLs, and when it is about to end. The platform's
// application object (or the headless runner) calls these on the main queue.

#include <string>
#include <vector>

namespace vp {

class AppContext;

class AppDelegate {
public:
    explicit AppDelegate(AppContext& context) : context_(context) {}

    // Accessory policy (no Dock icon, no menu), the display manager, then
    // the brightness keys with the permission prompt allowed.
    void applicationDidFinishLaunching();
    // The keys back to the system, then every screen restored. Runs once:
    // a quit request and a signal arriving together restore only once.
    void applicationWillTerminate();
    // URLs of the application's scheme, in the order given.
    void applicationOpenURLs(const std::vector<std::string>& urls);

    bool hasTerminated() const { return terminated_; }

private:
    AppContext& context_;
    bool terminated_ = false;
};

}  // namespace vp
