#include "platform/linux/gnome/MutterWire.h"

#include <cstring>
#include <stdexcept>

namespace vp::gnome {

namespace {

struct WireError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Reads one message; any step that fails ends the whole read.
class Reader {
public:
    explicit Reader(sd_bus_message* m) : m_(m) {}

    void check(int r, const char* what) {
        if (r < 0) throw WireError(std::string(what) + ": " + std::strerror(-r));
    }

    template <typename T>
    T basic(char type) {
        T value{};
        check(sd_bus_message_read_basic(m_, type, &value), "unexpected value");
        return value;
    }
    std::string text() { return basic<const char*>('s'); }
    bool boolean() { return basic<int>('b') != 0; }

    // Enters a container; false at the end of an enclosing array.
    bool enter(char type, const char* contents) {
        int r = sd_bus_message_enter_container(m_, type, contents);
        check(r, "unexpected shape");
        return r > 0;
    }
    void exit() { check(sd_bus_message_exit_container(m_), "unexpected shape"); }

    // Calls `element` for each struct of an array of `contents` structs.
    template <typename F>
    void structs(const char* contents, F element) {
        enter('a', (std::string("(") + contents + ")").c_str());
        while (enter('r', contents)) {
            element();
            exit();
        }
        exit();
    }

    // Calls `entry(key)` for each entry of an a{sv}; it may read the value
    // with variant(), or leave it to be skipped.
    template <typename F>
    void dictionary(F entry) {
        enter('a', "{sv}");
        while (enter('e', "sv")) {
            std::string key = text();
            consumed_ = false;
            entry(key);
            if (!consumed_) check(sd_bus_message_skip(m_, "v"), "unexpected shape");
            exit();
        }
        exit();
    }

    // The variant's value when it holds a `type`; otherwise left for skipping.
    template <typename T>
    std::optional<T> variant(char type) {
        char peeked = 0;
        const char* contents = nullptr;
        check(sd_bus_message_peek_type(m_, &peeked, &contents), "unexpected shape");
        if (peeked != 'v' || !contents || contents != std::string(1, type)) return std::nullopt;
        enter('v', contents);
        T value = basic<T>(type);
        exit();
        consumed_ = true;
        return value;
    }

    std::vector<double> doubles() {
        std::vector<double> values;
        enter('a', "d");
        for (;;) {
            double d = 0;
            int r = sd_bus_message_read_basic(m_, 'd', &d);
            check(r, "unexpected value");
            if (r == 0) break;
            values.push_back(d);
        }
        exit();
        return values;
    }

    MonitorSpec spec() {
        MonitorSpec s;
        s.connector = text();
        s.vendor = text();
        s.product = text();
        s.serial = text();
        return s;
    }

private:
    sd_bus_message* m_;
    bool consumed_ = false;
};

MutterMode readMode(Reader& in) {
    MutterMode mode;
    mode.id = in.text();
    mode.width = in.basic<std::int32_t>('i');
    mode.height = in.basic<std::int32_t>('i');
    mode.refresh = in.basic<double>('d');
    mode.preferredScale = in.basic<double>('d');
    mode.scales = in.doubles();
    in.dictionary([&](const std::string& key) {
        if (key == "is-current") mode.current = in.variant<int>('b').value_or(0) != 0;
        else if (key == "is-preferred") mode.preferred = in.variant<int>('b').value_or(0) != 0;
    });
    return mode;
}

MutterMonitor readMonitor(Reader& in) {
    MutterMonitor monitor;
    in.enter('r', "ssss");
    monitor.spec = in.spec();
    in.exit();
    in.structs("siiddada{sv}", [&] { monitor.modes.push_back(readMode(in)); });
    in.dictionary([&](const std::string& key) {
        if (key == "is-builtin") monitor.builtin = in.variant<int>('b').value_or(0) != 0;
        else if (key == "display-name")
            if (auto name = in.variant<const char*>('s')) monitor.displayName = *name;
    });
    return monitor;
}

LogicalMonitor readLogical(Reader& in) {
    LogicalMonitor lm;
    lm.x = in.basic<std::int32_t>('i');
    lm.y = in.basic<std::int32_t>('i');
    lm.scale = in.basic<double>('d');
    lm.transform = in.basic<std::uint32_t>('u');
    lm.primary = in.boolean();
    in.structs("ssss", [&] { lm.monitors.push_back(in.spec()); });
    in.dictionary([](const std::string&) {});
    return lm;
}

}  // namespace

std::optional<MutterState> readCurrentState(sd_bus_message* reply, std::string& error) {
    Reader in(reply);
    MutterState state;
    try {
        state.serial = in.basic<std::uint32_t>('u');
        in.structs("(ssss)a(siiddada{sv})a{sv}", [&] { state.monitors.push_back(readMonitor(in)); });
        in.structs("iiduba(ssss)a{sv}", [&] { state.logicalMonitors.push_back(readLogical(in)); });
        in.dictionary([&](const std::string& key) {
            if (key != "layout-mode") return;
            if (auto mode = in.variant<std::uint32_t>('u'))
                state.layout = *mode == std::uint32_t(LayoutMode::physical) ? LayoutMode::physical : LayoutMode::logical;
        });
    } catch (const WireError& e) {
        error = std::string("mutter's display state has an unknown shape (") + e.what() + ")";
        return std::nullopt;
    }
    return state;
}

int appendApplyArguments(sd_bus_message* call, std::uint32_t serial, ApplyMethod method, const MonitorsConfig& config) {
    int r = sd_bus_message_append(call, "uu", serial, std::uint32_t(method));
    if (r >= 0) r = sd_bus_message_open_container(call, 'a', "(iiduba(ssa{sv}))");
    for (const auto& lm : config.logicalMonitors) {
        if (r >= 0) r = sd_bus_message_open_container(call, 'r', "iiduba(ssa{sv})");
        if (r >= 0) r = sd_bus_message_append(call, "iidub", lm.x, lm.y, lm.scale, lm.transform, int(lm.primary));
        if (r >= 0) r = sd_bus_message_open_container(call, 'a', "(ssa{sv})");
        for (const auto& choice : lm.monitors)
            if (r >= 0) r = sd_bus_message_append(call, "(ssa{sv})", choice.connector.c_str(), choice.modeId.c_str(), 0);
        if (r >= 0) r = sd_bus_message_close_container(call);
        if (r >= 0) r = sd_bus_message_close_container(call);
    }
    if (r >= 0) r = sd_bus_message_close_container(call);
    if (r >= 0) r = sd_bus_message_append(call, "a{sv}", 0);
    return r;
}

std::optional<CrtcRef> readCrtcFor(sd_bus_message* reply, const std::string& connector, std::string& error) {
    Reader in(reply);
    std::optional<CrtcRef> found;
    try {
        CrtcRef ref;
        ref.serial = in.basic<std::uint32_t>('u');
        in.structs("uxiiiiiuaua{sv}", [&] {
            in.check(sd_bus_message_skip(reply, "uxiiiiiuaua{sv}"), "unexpected shape");
        });
        in.structs("uxiausauaua{sv}", [&] {
            in.basic<std::uint32_t>('u');
            in.basic<std::int64_t>('x');
            auto crtc = in.basic<std::int32_t>('i');
            in.check(sd_bus_message_skip(reply, "au"), "unexpected shape");
            std::string name = in.text();
            in.check(sd_bus_message_skip(reply, "auaua{sv}"), "unexpected shape");
            if (name == connector && crtc >= 0) found = CrtcRef{ref.serial, std::uint32_t(crtc)};
        });
    } catch (const WireError& e) {
        error = std::string("mutter's display resources have an unknown shape (") + e.what() + ")";
        return std::nullopt;
    }
    return found;
}

}  // namespace vp::gnome
