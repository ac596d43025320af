#include "app/Log.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <iostream>
#include <unistd.h>

namespace vp {

namespace {

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += std::size_t(n);
    }
    return true;
}

}  // namespace

Log::Log(std::string path, Clock& clock) : path_(std::move(path)), clock_(clock), echo_(&std::cerr) {}

void Log::warn(const std::string& message) {
    write(message);
    std::lock_guard lock(mutex_);
    if (echo_) *echo_ << "velvetpane: " << message << "\n" << std::flush;
}

void Log::setEcho(std::ostream* stream) {
    std::lock_guard lock(mutex_);
    echo_ = stream;
}

std::string Log::formatLine(std::chrono::system_clock::time_point when, const std::string& message) {
    std::time_t seconds = std::chrono::system_clock::to_time_t(
        std::chrono::floor<std::chrono::seconds>(when));
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S +0000", &utc);
    return std::string(date) + " " + message + "\n";
}

void Log::write(const std::string& message) {
    std::string line = formatLine(clock_.wallNow(), message);
    std::lock_guard lock(mutex_);
    // Another process may create the file between the two steps; then the
    // creation fails and appending is tried once more.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (appendToExisting(line) != Append::noFile) return;
        if (createWith(line)) return;
    }
}

Log::Append Log::appendToExisting(const std::string& line) {
    // Non-blocking so that a FIFO put in place of the log cannot hang the
    // caller; it makes no difference for a regular file.
    int fd = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? Append::noFile : Append::failed;
    writeAll(fd, line);
    ::close(fd);
    return Append::written;
}

bool Log::createWith(const std::string& line) {
    // O_EXCL: the file is created only when nothing is there, so an existing
    // log is never replaced. The line goes out in one write, like an append.
    int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    writeAll(fd, line);
    ::close(fd);
    return true;
}

}  // namespace vp
