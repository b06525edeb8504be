// TestPause.cpp - the pause points where tests stop a running program at a known moment.
#include "platform/Interrupt.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

namespace vexo::platform {
namespace {

struct PausePlan {
    std::string point; // empty: no pause asked for
    int nth = 1;
};

const PausePlan& Plan() {
    static const PausePlan plan = [] {
        PausePlan p;
        const char* text = std::getenv("VEXO_TEST_PAUSE");
        if (!text || !*text) return p;
        std::string setting = text;
        const auto colon = setting.rfind(':');
        p.point = setting.substr(0, colon);
        if (colon != std::string::npos) p.nth = std::max(1, std::atoi(setting.c_str() + colon + 1));
        return p;
    }();
    return plan;
}

} // namespace

void TestPausePoint(const char* point) {
    const PausePlan& plan = Plan();
    if (plan.point.empty() || plan.point != point) return;
    static std::mutex mutex;
    static int reached = 0;
    {
        std::lock_guard lock(mutex);
        if (++reached != plan.nth) return;
    }
    std::fprintf(stderr, "vexo-test: paused at %s:%d\n", point, plan.nth);
    std::fflush(stderr);
    using namespace std::chrono_literals;
    for (auto waited = 0ms; waited < 60s && !InterruptRequested(); waited += 5ms)
        std::this_thread::sleep_for(5ms);
}

} // namespace vexo::platform
