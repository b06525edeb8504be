// Interrupt.cpp - SIGINT, SIGTERM and SIGHUP recorded by a handler that only sets a flag.
#include "platform/Interrupt.h"

#include <csignal>
#include <signal.h>

namespace vexo::platform {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile std::sig_atomic_t g_signal = 0; // the first request; later ones are ignored

extern "C" void RecordStop(int signal) {
    if (g_signal == 0) g_signal = signal;
}

} // namespace

struct InterruptCatcher::Saved {
    struct sigaction old[std::size(kSignals)];
};

InterruptCatcher::InterruptCatcher() : saved_(std::make_unique<Saved>()) {
    g_signal = 0;
    struct sigaction action {};
    action.sa_handler = RecordStop;
    sigemptyset(&action.sa_mask);
    for (int signal : kSignals)
        sigaddset(&action.sa_mask, signal);
    // No SA_RESTART: a read of the terminal that waits for a person returns at once.
    action.sa_flags = 0;
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        sigaction(kSignals[i], &action, &saved_->old[i]);
}

InterruptCatcher::~InterruptCatcher() {
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        sigaction(kSignals[i], &saved_->old[i], nullptr);
}

bool InterruptRequested() {
    return g_signal != 0;
}

int InterruptExitStatus() {
    return 128 + g_signal;
}

const char* InterruptName() {
    switch (g_signal) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    default:
        return "";
    }
}

} // namespace vexo::platform
