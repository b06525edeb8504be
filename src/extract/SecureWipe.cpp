// SecureWipe.cpp - zeroing that is not optimised away.
#include "extract/SecureWipe.h"

namespace vexo::extract {

void SecureWipe(void* data, std::size_t size) noexcept {
    volatile unsigned char* p = static_cast<volatile unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i)
        p[i] = 0;
#if defined(__GNUC__)
    // Keeps the compiler from assuming the zeroed memory is never looked at again.
    __asm__ __volatile__("" : : "r"(data) : "memory");
#endif
}

void SecretText::Assign(std::string_view text) {
    Clear();
    text_.assign(text.data(), text.size());
}

void SecretText::Clear() noexcept {
    // Every assignment follows a wipe, so nothing secret lies past size().
    SecureWipe(text_.data(), text_.size());
    text_.clear();
}

} // namespace vexo::extract
