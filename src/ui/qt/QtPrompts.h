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
    int Result() const { return result_; }
    std::string Value() const;

  private:
    int result_ = archive::kPromptClosed;
    QLineEdit* edit_ = nullptr;
};

class QtPrompts final : public archive::PromptService {
  public:
    int MessageDlg(const std::string& text, int type, unsigned buttons, int helpContext) override;
    bool InputQuery(const std::string& caption, const std::string& prompt,
                    std::string& value) override;
    bool PasswordQuery(const std::string& caption, const std::string& prompt,
                       std::string& value) override;
    int OverwritePrompt(const archive::OverwritePromptData& data) override;
    int ContinuePrompt(const archive::ContinuePromptData& data) override;

  private:
    bool Text(const archive::PromptView& view, std::string& value);
};

} // namespace vexo::ui
