// FaultInjection.h - test hook that makes chosen platform calls fail.
//
// A test arms a fault ("the 3rd write from now fails", "every rename is refused") and the file
// layer answers as a failing device would. Unarmed, each hooked call costs one relaxed atomic
// load. Counts start when a fault is armed and are cleared by ResetFaults().
#pragma once

#include "platform/Error.h"

#include <atomic>

namespace vexo::platform {

enum class FaultKind {
    Write,           // Stream::Write of a file writes nothing and answers 0
    DiskFull,        // Stream::Write of a file writes half and reports kErrorDiskFull
    Rename,          // RenameFile refuses
    CreateFile,      // OpenFile with OpenMode::Create fails
    CreateDirectory, // CreateDirectory fails
};
inline constexpr int kFaultKindCount = 5;

struct FaultPlan {
    int nth = 1;             // the nth call after arming fails (1 = the next one)
    bool persistent = false; // the nth and every later call fail
    int error = 0;           // the error reported; 0 picks the usual one for the kind
};

/// Arms a fault of `kind`; replaces an earlier plan for that kind and restarts its count.
void InjectFault(FaultKind kind, FaultPlan plan = {});
/// Disarms every fault and clears every count.
void ResetFaults();
/// Calls of `kind` seen since it was armed (0 when unarmed).
int FaultCallCount(FaultKind kind);
/// Calls of `kind` that were made to fail since it was armed.
int FaultFailureCount(FaultKind kind);

/// Disarms everything when the test scope ends.
class ScopedFaults {
  public:
    ScopedFaults() { ResetFaults(); }
    ~ScopedFaults() { ResetFaults(); }
    ScopedFaults(const ScopedFaults&) = delete;
    ScopedFaults& operator=(const ScopedFaults&) = delete;
};

namespace detail {
extern std::atomic<bool> g_faultsArmed;
/// Counts a call of `kind`; returns the error to report, or 0 to let the call proceed.
int CheckFaultSlow(FaultKind kind);
inline int CheckFault(FaultKind kind) {
    if (!g_faultsArmed.load(std::memory_order_relaxed)) return 0;
    return CheckFaultSlow(kind);
}
} // namespace detail

} // namespace vexo::platform
