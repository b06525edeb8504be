// OperationTimer.h - elapsed time and transfer rate of an operation, paused around prompts.
#pragma once

#include "archive/DateTime.h"

#include <cstdint>

namespace vexo::archive {

class OperationTimer {
  public:
    using TickSource = std::uint32_t (*)();
    /// The platform's tick count unless a test supplies another source.
    explicit OperationTimer(TickSource ticks = nullptr);

    /// A new operation: elapsed 0, counting from now.
    void Start();
    /// Adds the time since the last tick to elapsed and recomputes the rate.
    void Pause(double processed);
    /// Counts from now again (time spent in a prompt is not counted).
    void Resume();
    /// Remaining milliseconds at the current rate; 0 when unknown or done.
    double RemainingMs(double total, double processed) const;
    void ClearElapsed() { elapsedMs_ = 0; }

    double ElapsedMs() const { return elapsedMs_; }
    /// Bytes per millisecond.
    double Rate() const { return rate_; }
    TDateTime StartTime() const { return startTime_; }
    TDateTime EndTime() const { return endTime_; }
    void MarkEnd();

    static TDateTime MsToDateTime(double ms) { return ms / 86'400'000.0; }

  private:
    std::uint32_t Now() const;

    TickSource ticks_;
    std::uint32_t lastTick_ = 0;
    double elapsedMs_ = 0;
    double rate_ = 0;
    TDateTime startTime_ = 0;
    TDateTime endTime_ = 0;
};

} // namespace vexo::archive
