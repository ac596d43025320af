#pragma once
// The program's only diagnostic channel: one line per failure the user is
// not shown directly, appended to a plain-text file.

#include "platform/Runtime.h"

#include <string>

namespace vp {

class Log {
public:
    Log(std::string path, Clock& clock) : path_(std::move(path)), clock_(clock) {}
    void write(const std::string& message);
    const std::string& path() const { return path_; }

private:
    std::string path_;
    Clock& clock_;
};

}  // namespace vp
