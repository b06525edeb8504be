// PathText.cpp - the length rule of the environment's path texts.
#include "environment/PathText.h"

namespace vexo::environment {

std::string CutPath(std::string_view text) {
    return std::string(text.substr(0, kMaxPathText));
}

} // namespace vexo::environment
