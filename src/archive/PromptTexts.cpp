// PromptTexts.cpp - the one instance of the prompt texts.
#include "archive/PromptTexts.h"

namespace vexo::archive {

TPromptTexts& PromptTexts() {
    static TPromptTexts texts;
    return texts;
}

void ResetPromptTexts() {
    PromptTexts() = TPromptTexts{};
}

} // namespace vexo::archive
