// FaultInjection.cpp - the armed faults and their counts.
#include "platform/FaultInjection.h"

#include <array>
#include <mutex>

namespace vexo::platform {
namespace detail {
std::atomic<bool> g_faultsArmed{false};
}

namespace {

struct Slot {
    bool armed = false;
    FaultPlan plan;
    int calls = 0;
    int failures = 0;
};

std::mutex g_mutex;
std::array<Slot, kFaultKindCount> g_slots;

int DefaultError(FaultKind kind) {
    switch (kind) {
    case FaultKind::Write:
        return kErrorWriteFault;
    case FaultKind::DiskFull:
        return kErrorDiskFull;
    case FaultKind::Rename:
    case FaultKind::CreateFile:
    case FaultKind::CreateDirectory:
        return kErrorAccessDenied;
    }
    return kErrorAccessDenied;
}

} // namespace

void InjectFault(FaultKind kind, FaultPlan plan) {
    std::lock_guard lock(g_mutex);
    Slot& slot = g_slots[static_cast<int>(kind)];
    if (plan.error == 0) plan.error = DefaultError(kind);
    if (plan.nth < 1) plan.nth = 1;
    slot = Slot{true, plan, 0, 0};
    detail::g_faultsArmed.store(true, std::memory_order_relaxed);
}

void ResetFaults() {
    std::lock_guard lock(g_mutex);
    g_slots = {};
    detail::g_faultsArmed.store(false, std::memory_order_relaxed);
}

int FaultCallCount(FaultKind kind) {
    std::lock_guard lock(g_mutex);
    return g_slots[static_cast<int>(kind)].calls;
}

int FaultFailureCount(FaultKind kind) {
    std::lock_guard lock(g_mutex);
    return g_slots[static_cast<int>(kind)].failures;
}

namespace detail {
int CheckFaultSlow(FaultKind kind) {
    std::lock_guard lock(g_mutex);
    Slot& slot = g_slots[static_cast<int>(kind)];
    if (!slot.armed) return 0;
    int n = ++slot.calls;
    bool fail = slot.plan.persistent ? n >= slot.plan.nth : n == slot.plan.nth;
    if (!fail) return 0;
    ++slot.failures;
    return slot.plan.error;
}
} // namespace detail

} // namespace vexo::platform
