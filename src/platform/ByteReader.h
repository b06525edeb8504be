// ByteReader.h - bounds-checked little-endian reads over a byte range (internal).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace vexo::platform::detail {

class ByteReader {
  public:
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::size_t Size() const { return size_; }
    bool Has(std::size_t offset, std::size_t count) const {
        return offset <= size_ && count <= size_ - offset;
    }
    std::optional<std::uint16_t> U16(std::size_t offset) const {
        if (!Has(offset, 2)) return std::nullopt;
        return static_cast<std::uint16_t>(data_[offset] | (data_[offset + 1] << 8));
    }
    std::optional<std::uint32_t> U32(std::size_t offset) const {
        if (!Has(offset, 4)) return std::nullopt;
        return static_cast<std::uint32_t>(data_[offset]) |
               (static_cast<std::uint32_t>(data_[offset + 1]) << 8) |
               (static_cast<std::uint32_t>(data_[offset + 2]) << 16) |
               (static_cast<std::uint32_t>(data_[offset + 3]) << 24);
    }
    /// A NUL-terminated 8-bit string starting at offset; nullopt when no NUL comes before the end.
    std::optional<std::string> CString(std::size_t offset) const {
        for (std::size_t i = offset; i < size_; ++i)
            if (data_[i] == 0)
                return std::string(reinterpret_cast<const char*>(data_ + offset), i - offset);
        return std::nullopt;
    }
    /// A NUL-terminated UTF-16LE string as UTF-8; `end` receives the offset after the NUL.
    std::optional<std::string> WString(std::size_t offset, std::size_t* end = nullptr) const;
    /// `count` UTF-16LE code units as UTF-8.
    std::optional<std::string> WChars(std::size_t offset, std::size_t count) const;
    const std::uint8_t* Data() const { return data_; }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
};

/// Appends a code point as UTF-8.
void AppendUtf8(std::string& out, char32_t cp);

} // namespace vexo::platform::detail
