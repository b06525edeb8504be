// QtPrompts.h - the archive component's modal prompts as toolkit dialogs.
#pragma once

#include "archive/Prompts.h"

#include <QDialog>

class QLineEdit;

namespace vexo::ui {

/// One prompt laid out from its description: caption, question-mark icon for the overwrite and
/// continue prompts, the lines top to bottom (label/value pairs side by side), an edit field
/// for text prompts, the buttons in a row; centred on the desktop.
class PromptDialog final : public QDialog {
    Q_OBJECT
  public:
    explicit PromptDialog(const archive::PromptView& view, QWidget* parent = nullptr);
    /// The button result chosen, or archive::kPromptClosed when the window was closed.
    archive::PromptResult Result() const { return result_; }
    std::string Value() const;

  private:
    archive::PromptResult result_ = archive::kPromptClosed;
    QLineEdit* edit_ = nullptr;
};

class QtPrompts final : public archive::PromptService {
  private:
    archive::PromptResult Ask(const archive::PromptView& view) override;
    bool AskText(const archive::PromptView& view, std::string& value) override;
};

} // namespace vexo::ui
