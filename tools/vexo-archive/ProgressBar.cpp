// ProgressBar.cpp - the progress line of extract and build.
#include "ProgressBar.h"

#include <algorithm>
#include <cstdio>

namespace vexo::tool {

std::string MiB(double bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MiB", bytes / (1024.0 * 1024.0));
    return text;
}

std::string Clock(double ms) {
    auto s = static_cast<long long>(ms / 1000);
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld", s / 60, s % 60);
    return text;
}

void ProgressBar::Show(int percent, double doneBytes, double bytesPerSecond, double remainingMs) {
    percent = std::max(0, std::min(100, percent));
    const int filled = percent * 30 / 100;
    std::fprintf(stderr, "\r[%s%s] %3d%%  %s  %s/s  %s left ", std::string(filled, '#').c_str(),
                 std::string(30 - filled, ' ').c_str(), percent, MiB(doneBytes).c_str(),
                 MiB(bytesPerSecond).c_str(), Clock(remainingMs).c_str());
    shown_ = true;
}

void ProgressBar::Clear() {
    if (shown_) std::fprintf(stderr, "\r%80s\r", "");
    shown_ = false;
}

ByteProgress::ByteProgress(std::int64_t total)
    : total_(total), start_(Clock::now()), shown_(start_) {}

void ByteProgress::Add(std::int64_t bytes) {
    done_ += bytes;
    const Clock::time_point now = Clock::now();
    if (now - shown_ < std::chrono::milliseconds(100) && done_ < total_) return;
    shown_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double rate = seconds > 0 ? static_cast<double>(done_) / seconds : 0.0;
    const double left = rate > 0 ? static_cast<double>(total_ - done_) / rate * 1000.0 : 0.0;
    const int percent = total_ > 0 ? static_cast<int>(done_ * 100 / total_) : 100;
    bar_.Show(percent, static_cast<double>(done_), rate, left);
}

} // namespace vexo::tool
