// ProgressBar.h - one line of progress on the terminal, rewritten in place.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace vexo::tool {

/// "12.3 MiB".
std::string MiB(double bytes);
/// "mm:ss".
std::string Clock(double ms);

/// The bar, the percentage, the bytes done, the rate and the time left, on stderr.
class ProgressBar {
  public:
    void Show(int percent, double doneBytes, double bytesPerSecond, double remainingMs);
    /// Blanks the line, if it was shown.
    void Clear();

  private:
    bool shown_ = false;
};

/// Progress of a job of known size, drawn at most ten times a second.
class ByteProgress {
  public:
    explicit ByteProgress(std::int64_t total);
    /// The line goes on every way out.
    ~ByteProgress() { bar_.Clear(); }
    ByteProgress(const ByteProgress&) = delete;
    ByteProgress& operator=(const ByteProgress&) = delete;
    void Add(std::int64_t bytes);

  private:
    using Clock = std::chrono::steady_clock;
    ProgressBar bar_;
    std::int64_t total_, done_ = 0;
    Clock::time_point start_, shown_;
};

} // namespace vexo::tool
