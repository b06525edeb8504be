// PromptTexts.h - the global group of texts the modal prompts use for captions and buttons.
#pragma once

#include <string>

namespace vexo::archive {

/// Shared by every component of the program; the message set that published last wins.
struct TPromptTexts {
    std::string Ok = "OK";
    std::string Cancel = "&Cancel";
    std::string Information = "Information";
    std::string Warning = "Warning";
    std::string Confirmation = "Confirmation";
    std::string Error = "Error";
    std::string Yes = "&Yes";
    std::string YesToAll = "Yes to &All";
    std::string No = "&No";
    std::string ReplaceFile = "Replace File :";
    std::string WithFile = "With File :";
    std::string ConfirmFileOverwrite = "Confirm File Overwrite";
    std::string AFile = "File";
    std::string CanContinue = "Do you want to continue ?";
    bool operator==(const TPromptTexts&) const = default;
};

/// The process-wide group (English at start).
TPromptTexts& PromptTexts();
/// Puts the English start texts back (for tests).
void ResetPromptTexts();

} // namespace vexo::archive
