#pragma once
// Builds ICC profile bytes by hand, well-formed or hostile, for the profile
// reader and folder tests.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace vp::test {

using Bytes = std::vector<std::uint8_t>;

inline void putU32(Bytes& b, std::size_t at, std::uint32_t v) {
    if (b.size() < at + 4) b.resize(at + 4);
    b[at] = v >> 24;
    b[at + 1] = (v >> 16) & 0xFF;
    b[at + 2] = (v >> 8) & 0xFF;
    b[at + 3] = v & 0xFF;
}

// Overwrites what is there and appends the rest, so the vector only ever
// grows by insert (GCC 12 at -O3 misreads writes after a resize).
inline void putText(Bytes& b, std::size_t at, const std::string& s) {
    if (b.size() < at) b.resize(at);
    const std::size_t overlap = std::min(b.size() - at, s.size());
    std::copy_n(s.begin(), overlap, b.begin() + static_cast<std::ptrdiff_t>(at));
    b.insert(b.end(), s.begin() + static_cast<std::ptrdiff_t>(overlap), s.end());
}

inline std::string utf16be(const std::u16string& s) {
    std::string out;
    for (char16_t c : s) {
        out.push_back(static_cast<char>(c >> 8));
        out.push_back(static_cast<char>(c & 0xFF));
    }
    return out;
}

struct Tag {
    std::string signature;
    Bytes data;
};

// Header with class and colour space, a tag table, then the tags' data.
inline Bytes profile(const std::vector<Tag>& tags, const std::string& deviceClass = "mntr",
                     const std::string& space = "RGB ") {
    Bytes b(128, 0);
    putText(b, 12, deviceClass);
    putText(b, 16, space);
    putU32(b, 128, static_cast<std::uint32_t>(tags.size()));
    std::size_t data = 132 + 12 * tags.size();
    b.resize(data);
    for (std::size_t i = 0; i < tags.size(); ++i) {
        putText(b, 132 + 12 * i, tags[i].signature);
        putU32(b, 132 + 12 * i + 4, static_cast<std::uint32_t>(b.size()));
        putU32(b, 132 + 12 * i + 8, static_cast<std::uint32_t>(tags[i].data.size()));
        b.insert(b.end(), tags[i].data.begin(), tags[i].data.end());
    }
    putU32(b, 0, static_cast<std::uint32_t>(b.size()));
    return b;
}

// A v2 "desc" tag whose ASCII count is `count` (by default the text plus
// its terminating zero).
inline Tag descTag(const std::string& text, std::optional<std::uint32_t> count = std::nullopt) {
    Bytes d;
    putText(d, 0, "desc");
    putU32(d, 4, 0);
    putU32(d, 8, count.value_or(static_cast<std::uint32_t>(text.size() + 1)));
    putText(d, 12, text);
    d.push_back(0);
    d.resize(d.size() + 78, 0);  // Unicode and ScriptCode parts, left empty
    return {"desc", d};
}

// A v4 "mluc" tag with one record holding UTF-16BE bytes.
inline Tag mlucTag(const std::string& utf16, std::uint32_t records = 1, std::uint32_t recordSize = 12) {
    Bytes d;
    putText(d, 0, "mluc");
    putU32(d, 4, 0);
    putU32(d, 8, records);
    putU32(d, 12, recordSize);
    putText(d, 16, "enUS");
    putU32(d, 20, static_cast<std::uint32_t>(utf16.size()));
    putU32(d, 24, 28);
    putText(d, 28, utf16);
    return {"desc", d};
}

inline void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace vp::test
