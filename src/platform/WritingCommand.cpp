// WritingCommand.cpp - whether this process writes, so that it may create the prefix's folders.
#include "platform/Paths.h"

#include <atomic>

namespace vexo::platform {
namespace {

std::atomic<bool> g_writing{false};

} // namespace

void PrepareForWriting() {
    g_writing = true;
    // The prefix may have been looked at before, without its layout.
    ResetPrefix();
    PrefixDirectory();
}

bool PreparedForWriting() {
    return g_writing;
}

} // namespace vexo::platform
