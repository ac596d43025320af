#pragma once
// The program's only diagnostic channel: one line per failure the user is
// not shown directly, appended to a plain-text file. No levels, no rotation.
// A warning also goes to standard error (or the stream set instead).

#include "platform/Runtime.h"

#include <chrono>
#include <iosfwd>
#include <mutex>
#include <string>

namespace vp {

class Log {
public:
    Log(std::string path, Clock& clock);

    // Appends "YYYY-MM-DD HH:MM:SS +0000 message\n" (UTC). The first line
    // creates the file; the folder is never created. Failures are swallowed,
    // and a file that exists but cannot be opened is left as it is rather
    // than replaced, so earlier lines are never lost. Any thread.
    void write(const std::string& message);
    // Writes the line and also prints "velvetpane: message" on the echo
    // stream: for what the person starting the program must learn at once.
    void warn(const std::string& message);
    // Where warnings are printed (default standard error; null: nowhere).
    void setEcho(std::ostream* stream);
    const std::string& path() const { return path_; }

    static std::string formatLine(std::chrono::system_clock::time_point when, const std::string& message);

private:
    enum class Append { written, noFile, failed };
    Append appendToExisting(const std::string& line);
    bool createWith(const std::string& line);

    std::string path_;
    Clock& clock_;
    // Calls are serialised so that concurrent lines never interleave.
    std::mutex mutex_;
    std::ostream* echo_;
};

}  // namespace vp
