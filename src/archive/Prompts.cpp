// Prompts.cpp - the contents of each prompt, the front that hands them to a service, the service in
// use.
#include "archive/Prompts.h"

#include "archive/PromptTexts.h"
#include "platform/FileSystem.h"

#include <cstdio>

namespace vexo::archive {
namespace {

PromptService* g_current = nullptr;

std::string GroupThousands(std::int64_t size) {
    bool negative = size < 0;
    std::uint64_t magnitude =
        negative ? ~static_cast<std::uint64_t>(size) + 1 : static_cast<std::uint64_t>(size);
    std::string digits = std::to_string(magnitude);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += '.';
        out += digits[i];
    }
    return negative ? "-" + out : out;
}

} // namespace

std::string FormatSizeAndDate(std::int64_t size, TDateTime date) {
    CivilDateTime c = DateTimeToCivil(date);
    char when[64];
    std::snprintf(when, sizeof when, "%02d/%02d/%04d %d:%02d:%02d", c.day, c.month, c.year, c.hour,
                  c.minute, c.second);
    return GroupThousands(size) + " bytes  " + when;
}

PromptView DescribeMessageDlg(const std::string& text, MessageType type, MessageButtons buttons) {
    const TPromptTexts& t = PromptTexts();
    PromptView v;
    v.Kind = PromptKind::MessageDlg;
    v.Type = type;
    v.ButtonSet = buttons;
    // Any other value than these three counts as information.
    v.Caption = type == MessageType::mtWarning        ? t.Warning
                : type == MessageType::mtError        ? t.Error
                : type == MessageType::mtConfirmation ? t.Confirmation
                                                      : t.Information;
    v.Lines = {text};
    using enum MessageButtons;
    using enum MessageResult;
    auto has = [buttons](MessageButtons set) { return Has(buttons, set); };
    // The prompt texts have no labels for these three; the platform's Spanish ones are used.
    const PromptButton abortB{"&Anular", idAbort}, retryB{"&Reintentar", idRetry},
        ignoreB{"&Omitir", idIgnore};
    const PromptButton yesB{t.Yes, idYes}, noB{t.No, idNo}, okB{t.Ok, idOK},
        cancelB{t.Cancel, idCancel};
    if (has(mbAbort | mbRetry | mbIgnore))
        v.Buttons = {abortB, retryB, ignoreB};
    else if (has(mbYes | mbNo | mbCancel))
        v.Buttons = {yesB, noB, cancelB};
    else if (has(mbYes | mbNo))
        v.Buttons = {yesB, noB};
    else if (has(mbRetry | mbCancel))
        v.Buttons = {retryB, cancelB};
    else if (has(mbOK | mbCancel))
        v.Buttons = {okB, cancelB};
    else
        v.Buttons = {okB};
    return v;
}

PromptView DescribeInputQuery(const std::string& caption, const std::string& prompt,
                              const std::string& value, bool password) {
    const TPromptTexts& t = PromptTexts();
    PromptView v;
    v.Kind = password ? PromptKind::PasswordQuery : PromptKind::InputQuery;
    v.Caption = caption;
    v.Lines = {prompt};
    v.Value = value;
    v.Buttons = {{t.Ok, MessageResult::idOK}, {t.Cancel, MessageResult::idCancel}};
    return v;
}

PromptView DescribeOverwritePrompt(const OverwritePromptData& d) {
    const TPromptTexts& t = PromptTexts();
    PromptView v;
    v.Kind = PromptKind::Overwrite;
    v.Caption = t.ConfirmFileOverwrite;
    v.Lines = {t.ReplaceFile, d.ExistingName, FormatSizeAndDate(d.ExistingSize, d.ExistingDate),
               t.WithFile,    d.ArchivedName, FormatSizeAndDate(d.ArchivedSize, d.ArchivedDate)};
    v.Buttons = {{t.Yes, OverwriteAnswer::Yes},
                 {t.YesToAll, OverwriteAnswer::YesToAll},
                 {t.No, OverwriteAnswer::No},
                 {t.Cancel, OverwriteAnswer::Cancel}};
    return v;
}

PromptView DescribeContinuePrompt(const ContinuePromptData& d) {
    const TPromptTexts& t = PromptTexts();
    PromptView v;
    v.Kind = PromptKind::Continue;
    v.Caption = t.Confirmation;
    v.Lines = {
        t.Error + " :", d.ErrorText, t.AFile + " :", d.FileName, FormatSizeAndDate(d.Size, d.Date),
        t.CanContinue};
    v.Buttons = {{t.Yes, ContinueAnswer::Yes},
                 {t.YesToAll, ContinueAnswer::YesToAll},
                 {t.No, ContinueAnswer::No}};
    return v;
}

PromptResult RefusingAnswer(const PromptView& view) {
    switch (view.Kind) {
    case PromptKind::Overwrite:
        return OverwriteAnswer::Cancel;
    case PromptKind::Continue:
        return ContinueAnswer::No;
    case PromptKind::InputQuery:
    case PromptKind::PasswordQuery:
        return MessageResult::idCancel;
    case PromptKind::MessageDlg:
        break;
    }
    using enum MessageResult;
    for (PromptResult wanted : {idCancel, idNo, idAbort})
        for (const auto& b : view.Buttons)
            if (b.Result == wanted) return wanted;
    return view.Buttons.empty() ? PromptResult(idOK) : view.Buttons.back().Result;
}

// ---- The front ------------------------------------------------------------------------------

MessageResult PromptService::MessageDlg(const std::string& text, MessageType type,
                                        MessageButtons buttons, int) {
    return Ask(DescribeMessageDlg(text, type, buttons)).As<MessageResult>();
}

bool PromptService::InputQuery(const std::string& caption, const std::string& prompt,
                               std::string& value) {
    return AskText(DescribeInputQuery(caption, prompt, value, false), value);
}

bool PromptService::PasswordQuery(const std::string& caption, const std::string& prompt,
                                  std::string& value) {
    return AskText(DescribeInputQuery(caption, prompt, value, true), value);
}

OverwriteAnswer PromptService::OverwritePrompt(const OverwritePromptData& data) {
    return Ask(DescribeOverwritePrompt(data)).As<OverwriteAnswer>();
}

ContinueAnswer PromptService::ContinuePrompt(const ContinuePromptData& data) {
    return Ask(DescribeContinuePrompt(data)).As<ContinueAnswer>();
}

// ---- The service in use ---------------------------------------------------------------------

PromptService& CurrentPrompts() {
    // A prompt lets the user change things on disk: what look-ups remembered may be stale.
    platform::ForgetLookups();
    if (g_current != nullptr) return *g_current;
    static RefusingPrompts nobody;
    return nobody;
}

void SetCurrentPrompts(PromptService* service) {
    g_current = service;
}

ScopedPrompts::ScopedPrompts(PromptService& service) : previous_(&CurrentPrompts()) {
    SetCurrentPrompts(&service);
}

ScopedPrompts::~ScopedPrompts() {
    SetCurrentPrompts(previous_);
}

} // namespace vexo::archive
