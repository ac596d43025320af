// The program's entry: headless on request (or when there is no display to
// show anything on), pictures of the interface with --snapshots, otherwise
// the tray program, of which each user runs one.

#include "app/CommandLineInfo.h"
#include "app/TerminationSignals.h"
#include "app/headless/Headless.h"
#include "app/linux/LinuxHeadless.h"
#include "ui/app/Snapshots.h"
#include "ui/app/SingleInstance.h"
#include "ui/app/InterfacePlatform.h"
#include "ui/app/UiApplication.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QSystemTrayIcon>

#include <iostream>
#include <optional>
#include <variant>
#include <unistd.h>

namespace {

using vp::ui::UiOptions;

struct Command {
    bool headless = false;
    QString snapshots;  // non-empty: write pictures there and exit
    std::string platform;
    UiOptions ui;
    QStringList urls;
};

bool hasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

// Throws vp::UsageError.
Command parse(const std::vector<std::string>& args) {
    Command c;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= args.size()) throw vp::UsageError(a + " needs a value");
            return args[++i];
        };
        if (a == "--headless") c.headless = true;
        else if (a == "--snapshots") c.snapshots = QString::fromStdString(value());
        else if (a == "--scenario") c.ui.scenario = value();
        else if (a == "--home") c.ui.home = value();
        else if (a == "--lang") c.ui.lang = value();
        else if (a == "--platform") c.platform = value();
        else if (a == "--json") c.headless = true;
        else if (a.rfind("velvetpane:", 0) == 0) c.urls << QString::fromStdString(a);
        else throw vp::UsageError("unknown option \"" + a + "\" (headless actions need --headless)");
    }
    return c;
}

// SIGTERM, SIGINT and SIGHUP become a quit request read by the event loop, so the
// screens are restored as on the quit action; afterwards the program ends by
// that signal, so whoever sent it sees why it ended.
std::optional<int> endingSignal;

void quitOnSignals(QObject* owner) {
    if (!vp::TerminationSignals::install()) {
        std::cerr << "velvetpane: SIGTERM, SIGINT and SIGHUP will end the program without restoring the screens\n";
        return;
    }
    auto* notifier = new QSocketNotifier(vp::TerminationSignals::fd(), QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [] {
        auto signal = vp::TerminationSignals::take();
        if (!signal || endingSignal) return;
        endingSignal = signal;
        QCoreApplication::quit();
    });
}

int runSnapshots(int argc, char** argv, const QString& dir) {
    // Pictures never need a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    try {
        for (const QString& file : vp::ui::writeSnapshots(dir)) std::cout << file.toStdString() << "\n";
    } catch (const std::runtime_error& e) {
        std::cerr << "velvetpane: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

int runInterface(char** argv, Command command) {
    // Every argument is the program's own and already read; Qt would take
    // some of them (--platform) for its own options.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("velvetpane"));
    // The tray item's title, and the entry the desktop associates the windows with.
    QApplication::setApplicationDisplayName(QStringLiteral("Velvetpane"));
    QGuiApplication::setDesktopFileName(QStringLiteral("velvetpane"));
    QApplication::setQuitOnLastWindowClosed(false);
    // Before anything can see this instance running, so a signal sent as
    // soon as it is seen still ends it through the event loop.
    quitOnSignals(&app);

    auto instance = std::make_unique<vp::ui::SingleInstance>(vp::ui::SingleInstance::defaultSocketPath());
    if (instance->forward(command.urls)) return 0;
    if (!instance->listen()) std::cerr << "velvetpane: running without the single-instance socket\n";

    command.ui.trayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    std::unique_ptr<vp::ui::UiApplication> program;
    try {
        program = std::make_unique<vp::ui::UiApplication>(command.ui);
    } catch (const std::runtime_error& e) {
        std::cerr << "velvetpane: scenario " << e.what() << "\n";
        return 2;
    }
    if (auto* real = program->linuxPlatform()) std::cerr << "velvetpane: " << real->summary() << "\n";
    instance->onURLs = [&program](const QStringList& urls) { program->openURLs(urls); };
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&program] { program->terminate(); });
    program->launch(command.urls);
    int status = app.exec();
    program.reset();
    instance.reset();  // removes the socket
    if (endingSignal) vp::TerminationSignals::endBy(*endingSignal);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (auto status = vp::answerInfoOption(args, std::cout)) return *status;
    const bool terminal = isatty(STDOUT_FILENO) == 1;
    Command command;
    try {
        command = parse(args);
    } catch (const vp::UsageError&) {
        // Headless actions (--do, --url, …) are the headless mode's to read.
        command.headless = true;
    }
    if (command.headless) return vp::runHeadless(args, std::cout, std::cerr, terminal, vp::makeLinuxBed);
    if (!command.snapshots.isEmpty()) return runSnapshots(argc, argv, command.snapshots);
    if (!hasDisplay()) {
        std::cerr << "velvetpane: no display found; running headless (use --snapshots DIR for pictures of the "
                     "interface)\n";
        return vp::runHeadless(args, std::cout, std::cerr, terminal, vp::makeLinuxBed);
    }
    if (command.platform.empty()) command.platform = qEnvironmentVariable("VELVETPANE_PLATFORM").toStdString();
    auto choice = vp::ui::chooseInterfacePlatform(command.platform, command.ui.scenario);
    if (auto* error = std::get_if<std::string>(&choice)) {
        std::cerr << "velvetpane: " << *error << "\n";
        return 2;
    }
    command.ui.platform = std::get<vp::PlatformChoice>(choice);
    std::cerr << "velvetpane: " << command.ui.platform.reason << "\n";
    return runInterface(argv, std::move(command));
}
