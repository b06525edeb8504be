// SecureWipe.h - zeroing of secret bytes that the optimiser may not drop, and a text holder
// that zeroes its characters before they are released.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vexo::extract {

/// Overwrites `size` bytes at `data` with zero bytes. The stores are made through a volatile
/// pointer, so they survive even when the memory is released right afterwards.
void SecureWipe(void* data, std::size_t size) noexcept;

/// A secret text (a key): its characters are zeroed whenever it is replaced, cleared or
/// destroyed. Copies are refused so no unwiped duplicate is left behind.
class SecretText {
  public:
    SecretText() = default;
    explicit SecretText(std::string_view text) { Assign(text); }
    ~SecretText() { Clear(); }
    SecretText(const SecretText&) = delete;
    SecretText& operator=(const SecretText&) = delete;

    /// Wipes the old characters, then takes a copy of `text`. The old storage is zeroed
    /// before a growing assignment could release it.
    void Assign(std::string_view text);
    /// Zeroes the characters and empties the text.
    void Clear() noexcept;

    bool Empty() const noexcept { return text_.empty(); }
    std::size_t Size() const noexcept { return text_.size(); }
    /// The bytes, followed by a zero byte.
    const char* CStr() const noexcept { return text_.c_str(); }
    std::string_view View() const noexcept { return text_; }

  private:
    std::string text_;
};

} // namespace vexo::extract
