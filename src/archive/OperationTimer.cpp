// OperationTimer.cpp - elapsed time and rate from the tick count.
#include "archive/OperationTimer.h"

#include "platform/System.h"

#include <cmath>

namespace vexo::archive {

OperationTimer::OperationTimer(TickSource ticks) : ticks_(ticks) {}

std::uint32_t OperationTimer::Now() const {
    return ticks_ != nullptr ? ticks_() : platform::TickCount();
}

void OperationTimer::Start() {
    startTime_ = platform::Now();
    elapsedMs_ = 0;
    lastTick_ = Now();
}

void OperationTimer::Pause(double processed) {
    std::uint32_t now = Now();
    elapsedMs_ += static_cast<std::uint32_t>(now - lastTick_); // the tick count wraps
    rate_ = elapsedMs_ > 0 ? processed / elapsedMs_ : processed;
    lastTick_ = now;
}

void OperationTimer::Resume() {
    lastTick_ = Now();
}

double OperationTimer::RemainingMs(double total, double processed) const {
    if (rate_ == 0 || total <= processed) return 0;
    return std::nearbyint((total - processed) / rate_);
}

void OperationTimer::MarkEnd() {
    endTime_ = platform::Now();
}

} // namespace vexo::archive
