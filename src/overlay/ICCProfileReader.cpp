#include "overlay/ICCProfileReader.h"

#include "util/Unicode.h"

#include <algorithm>
#include <string_view>

namespace vp {

namespace {

constexpr std::size_t kHeaderSize = 128;
constexpr std::size_t kTagTable = 132;
constexpr std::size_t kTagEntrySize = 12;
constexpr std::uint32_t kMaxTagCount = 200;

// A bounds-checked view of the profile bytes; reads past the end give none.
class Bytes {
public:
    explicit Bytes(std::span<const std::uint8_t> data) : data_(data) {}

    bool has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= data_.size() && length <= data_.size() - offset;
    }
    std::optional<std::uint32_t> u32(std::uint64_t offset) const {
        if (!has(offset, 4)) return std::nullopt;
        const std::uint8_t* p = data_.data() + offset;
        return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
    }
    bool signatureIs(std::uint64_t offset, std::string_view signature) const {
        if (!has(offset, 4)) return false;
        return std::equal(signature.begin(), signature.end(), data_.begin() + offset,
                          [](char c, std::uint8_t b) { return static_cast<std::uint8_t>(c) == b; });
    }
    std::optional<std::span<const std::uint8_t>> slice(std::uint64_t offset, std::uint64_t length) const {
        if (!has(offset, length)) return std::nullopt;
        return data_.subspan(offset, length);
    }

private:
    std::span<const std::uint8_t> data_;
};

std::optional<std::string> finish(const std::vector<char32_t>& text) {
    auto result = unicode::trimmed(text);
    // An empty name would be an empty menu entry: the file name serves better.
    if (result.empty()) return std::nullopt;
    return unicode::encodeUTF8(result);
}

// ICC v2 "desc": a counted ASCII text whose count includes the terminator.
std::optional<std::string> readTextDescription(const Bytes& bytes, std::uint64_t tag) {
    auto count = bytes.u32(tag + 8);
    if (!count || *count < 2) return std::nullopt;
    auto text = bytes.slice(tag + 12, *count - 1);
    if (!text) return std::nullopt;
    std::string_view raw(reinterpret_cast<const char*>(text->data()), text->size());
    // Writers that pad the text leave zeros inside the count; the text ends
    // at the first one.
    raw = raw.substr(0, raw.find('\0'));
    return finish(unicode::decodeUTF8Lossy(raw));
}

// ICC v4 "mluc": localized records; the first record names the profile.
std::optional<std::string> readMultiLocalized(const Bytes& bytes, std::uint64_t tag) {
    auto records = bytes.u32(tag + 8);
    auto recordSize = bytes.u32(tag + 12);
    if (!records || !recordSize || *records == 0 || *recordSize < 12) return std::nullopt;
    auto length = bytes.u32(tag + 20);
    auto offset = bytes.u32(tag + 24);
    if (!length || !offset) return std::nullopt;
    auto text = bytes.slice(tag + *offset, *length);
    if (!text) return std::nullopt;
    auto decoded = unicode::decodeUTF16BE(*text);
    if (!decoded) return std::nullopt;
    return finish(*decoded);
}

}  // namespace

bool isDisplayRGBProfile(std::span<const std::uint8_t> header) {
    Bytes bytes(header);
    return bytes.signatureIs(12, "mntr") && bytes.signatureIs(16, "RGB ");
}

std::optional<std::string> profileDescription(std::span<const std::uint8_t> data) {
    Bytes bytes(data);
    if (data.size() <= kTagTable) return std::nullopt;
    auto count = bytes.u32(kHeaderSize);
    if (!count || *count == 0 || *count >= kMaxTagCount) return std::nullopt;
    for (std::uint64_t i = 0; i < *count; ++i) {
        std::uint64_t entry = kTagTable + i * kTagEntrySize;
        if (!bytes.has(entry, kTagEntrySize)) continue;
        if (!bytes.signatureIs(entry, "desc")) continue;
        std::uint64_t tag = *bytes.u32(entry + 4);
        if (bytes.signatureIs(tag, "desc")) return readTextDescription(bytes, tag);
        if (bytes.signatureIs(tag, "mluc")) return readMultiLocalized(bytes, tag);
    }
    return std::nullopt;
}

}  // namespace vp
