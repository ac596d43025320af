// An emulated DDC/CI monitor behind device files, loaded with LD_PRELOAD so
// that the Linux transport is tested through the real open/ioctl path.
//
// Any file named i2c-N (in any folder) is a monitor; its own text says what
// the monitor is:
//     edid 00FFFFFFFFFFFF00...      the EDID at 0x50 (hex); none: 0x50 NACKs
//     vcp 10 50 100                 feature (hex), current, maximum
//     strict                        ignore requests with a wrong checksum
//     deny                          open() fails with EACCES
//     fault nack|eio|busy|timeout|garbage|wrongfeature|unplug-on-set
// Values set over DDC/CI are written to "<device>.vcp" (one "code value" a
// line) so that tests can check them after the process ends, and read back
// from there when the device is opened again.
// VELVETPANE_EMULATED_LOG=file appends one line per transfer.

#include <dlfcn.h>
#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Feature {
    int current = 0;
    int max = 0;
};

struct Monitor {
    std::string path;
    Bytes edid;
    std::map<std::uint8_t, Feature> features;
    bool strict = false;
    bool deny = false;
    std::string fault;
    bool unplugged = false;
    std::uint8_t edidOffset = 0;
    Bytes reply;
};

std::mutex mutex;
std::map<int, Monitor> monitors;  // by file descriptor

bool isDeviceName(const char* path) {
    if (!path) return false;
    const char* base = std::strrchr(path, '/');
    base = base ? base + 1 : path;
    if (std::strncmp(base, "i2c-", 4) != 0 || !base[4]) return false;
    for (const char* c = base + 4; *c; ++c)
        if (*c < '0' || *c > '9') return false;
    return std::strncmp(path, "/sys/", 5) != 0 && std::strncmp(path, "/proc/", 6) != 0;
}

Bytes fromHex(const std::string& hex) {
    Bytes bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) bytes.push_back(std::uint8_t(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

void loadValues(Monitor& m) {
    std::ifstream in(m.path + ".vcp");
    unsigned code = 0;
    int value = 0;
    while (in >> std::hex >> code >> std::dec >> value)
        if (m.features.count(std::uint8_t(code))) m.features[std::uint8_t(code)].current = value;
}

void saveValues(const Monitor& m) {
    std::ofstream out(m.path + ".vcp", std::ios::trunc);
    char line[32];
    for (const auto& [code, f] : m.features) {
        std::snprintf(line, sizeof line, "%02X %d\n", unsigned(code), f.current);
        out << line;
    }
}

Monitor loadMonitor(const char* path) {
    Monitor m;
    m.path = path;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string word;
        words >> word;
        if (word == "edid") {
            std::string hex;
            words >> hex;
            m.edid = fromHex(hex);
        } else if (word == "vcp") {
            unsigned code = 0;
            Feature f;
            words >> std::hex >> code >> std::dec >> f.current >> f.max;
            m.features[std::uint8_t(code)] = f;
        } else if (word == "strict") {
            m.strict = true;
        } else if (word == "deny") {
            m.deny = true;
        } else if (word == "fault") {
            words >> m.fault;
        }
    }
    loadValues(m);
    return m;
}

void logTransfer(const char* direction, int address, const std::uint8_t* bytes, std::size_t n) {
    const char* path = std::getenv("VELVETPANE_EMULATED_LOG");
    if (!path) return;
    FILE* f = std::fopen(path, "a");
    if (!f) return;
    std::fprintf(f, "%s 0x%02X:", direction, address);
    for (std::size_t i = 0; i < n; ++i) std::fprintf(f, " %02X", bytes[i]);
    std::fputc('\n', f);
    std::fclose(f);
}

Bytes featureReply(const Monitor& m, std::uint8_t code) {
    auto it = m.features.find(code);
    bool known = it != m.features.end();
    Feature f = known ? it->second : Feature{};
    std::uint8_t answered = m.fault == "wrongfeature" ? std::uint8_t(code ^ 0x01) : code;
    Bytes r = {0x6E, 0x88, 0x02, std::uint8_t(known ? 0 : 1), answered, 0x00,
               std::uint8_t(f.max >> 8), std::uint8_t(f.max), std::uint8_t(f.current >> 8), std::uint8_t(f.current)};
    std::uint8_t checksum = 0x50;  // the host's read address 0x6F stands in as 0x50
    for (auto b : r) checksum ^= b;
    r.push_back(checksum);
    return r;
}

// A host write to 0x37: 51 80|n op args… checksum. Returns an errno or 0.
int ddcWrite(Monitor& m, const std::uint8_t* b, std::size_t n) {
    m.reply.clear();
    if (n < 4 || b[0] != 0x51 || (b[1] & 0x80) == 0) return 0;
    std::size_t length = b[1] & 0x7F;
    if (n < length + 3) return 0;
    std::uint8_t checksum = 0x6E;
    for (std::size_t i = 0; i < length + 2; ++i) checksum ^= b[i];
    if (m.strict && checksum != b[length + 2]) return 0;
    std::uint8_t op = b[2];
    if (op == 0x01 && length >= 2) {
        m.reply = featureReply(m, b[3]);
    } else if (op == 0x03 && length >= 4) {
        if (m.fault == "unplug-on-set") {
            m.unplugged = true;
            return ENXIO;
        }
        auto it = m.features.find(b[3]);
        if (it != m.features.end()) it->second.current = std::min(b[4] << 8 | b[5], it->second.max);
        saveValues(m);
    }
    return 0;
}

void readReply(Monitor& m, std::uint8_t* buffer, std::size_t n) {
    static const Bytes nullMessage = {0x6E, 0x80, 0xBE};
    const Bytes& source = m.reply.empty() ? nullMessage : m.reply;
    for (std::size_t i = 0; i < n; ++i) buffer[i] = i < source.size() ? source[i] : 0x6E;
    if (m.fault == "garbage")
        for (std::size_t i = 0; i < n; ++i) buffer[i] = std::uint8_t(0xA5 ^ (i * 37));
}

// A fault that fails the whole transfer, as an errno; 0 when it goes through.
int transferFault(Monitor& m) {
    if (m.unplugged || m.fault == "nack") return ENXIO;
    if (m.fault == "eio") return EIO;
    if (m.fault == "busy") return EBUSY;
    if (m.fault == "timeout") {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return ETIMEDOUT;
    }
    return 0;
}

int message(Monitor& m, i2c_msg& msg) {
    bool reading = msg.flags & I2C_M_RD;
    if (msg.addr == 0x50) {
        if (m.edid.empty()) return ENXIO;
        if (!reading) {
            if (msg.len > 0) m.edidOffset = msg.buf[0];
        } else {
            for (std::size_t i = 0; i < msg.len; ++i) {
                std::size_t at = m.edidOffset + i;
                msg.buf[i] = at < m.edid.size() ? m.edid[at] : 0xFF;
            }
        }
        return 0;
    }
    if (msg.addr != 0x37) return ENXIO;
    if (int fault = transferFault(m)) return fault;
    logTransfer(reading ? "R" : "W", msg.addr, msg.buf, msg.len);
    if (reading) {
        readReply(m, msg.buf, msg.len);
        return 0;
    }
    return ddcWrite(m, msg.buf, msg.len);
}

template <typename F>
F real(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

int track(int fd, const char* path) {
    if (fd < 0 || !isDeviceName(path)) return fd;
    std::lock_guard lock(mutex);
    monitors[fd] = loadMonitor(path);
    return fd;
}

bool denied(const char* path) {
    if (!isDeviceName(path)) return false;
    return loadMonitor(path).deny;
}

int openWith(const char* symbol, const char* path, int flags, mode_t mode) {
    if (denied(path)) {
        errno = EACCES;
        return -1;
    }
    using Open = int (*)(const char*, int, ...);
    return track(real<Open>(symbol)(path, flags, mode), path);
}

int openatWith(const char* symbol, int dir, const char* path, int flags, mode_t mode) {
    if (denied(path)) {
        errno = EACCES;
        return -1;
    }
    using OpenAt = int (*)(int, const char*, int, ...);
    return track(real<OpenAt>(symbol)(dir, path, flags, mode), path);
}

mode_t modeArgument(int flags, va_list args) {
    return (flags & (O_CREAT | O_TMPFILE)) ? mode_t(va_arg(args, int)) : 0;
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    mode_t mode = modeArgument(flags, args);
    va_end(args);
    return openWith("open", path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    mode_t mode = modeArgument(flags, args);
    va_end(args);
    return openWith("open64", path, flags, mode);
}

int openat(int dir, const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    mode_t mode = modeArgument(flags, args);
    va_end(args);
    return openatWith("openat", dir, path, flags, mode);
}

int openat64(int dir, const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    mode_t mode = modeArgument(flags, args);
    va_end(args);
    return openatWith("openat64", dir, path, flags, mode);
}

int close(int fd) {
    {
        std::lock_guard lock(mutex);
        monitors.erase(fd);
    }
    return real<int (*)(int)>("close")(fd);
}

int ioctl(int fd, unsigned long request, ...) {
    va_list args;
    va_start(args, request);
    void* argument = va_arg(args, void*);
    va_end(args);
    std::unique_lock lock(mutex);
    auto it = monitors.find(fd);
    if (it == monitors.end()) {
        lock.unlock();
        return real<int (*)(int, unsigned long, ...)>("ioctl")(fd, request, argument);
    }
    Monitor& m = it->second;
    switch (request) {
    case I2C_FUNCS:
        *static_cast<unsigned long*>(argument) = I2C_FUNC_I2C;
        return 0;
    case I2C_SLAVE:
    case I2C_SLAVE_FORCE:
        return 0;
    case I2C_RDWR: {
        auto* data = static_cast<i2c_rdwr_ioctl_data*>(argument);
        for (unsigned i = 0; i < data->nmsgs; ++i) {
            if (int error = message(m, data->msgs[i])) {
                errno = error;
                return -1;
            }
        }
        return int(data->nmsgs);
    }
    default:
        errno = ENOTTY;
        return -1;
    }
}

}  // extern "C"
