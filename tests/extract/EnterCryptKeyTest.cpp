// EnterCryptKeyTest.cpp - the extractor's key entry for writing: a key shorter than the
// minimum and a confirmation that differs are answered with their warning and asked again.
#include "ExtractorFixture.h"

#include "archive/Exceptions.h"
#include "platform/Encoding.h"

#include <optional>

namespace vexo::extract::testing {
namespace {

class KeyEntryExtractor : public TExtractor {
  public:
    using TExtractor::EnterCryptKey;
    const std::string& Key() const { return key_; }
};

const std::string kEnter = "Clave de encriptamiento:";
const std::string kConfirm = W1252("Confirma clave de encripción:");
const std::string kTooShort = "La clave es muy corta. Debe contener almenos 10 caracteres.";
const std::string kNotConfirmed = "La clave no se confirmo. Introducela de nuevo.";

/// One prompt of the script: a text answer (nullopt: Cancel) to a key prompt, or OK to a
/// warning box.
struct Step {
    std::string shows; // the prompt's text
    std::optional<std::string> answer;
    bool warning = false;
    std::string opensWith; // the value a key prompt opens with
};

Step Ask(const std::string& shows, std::optional<std::string> answer,
         const std::string& opensWith = "") {
    return {shows, std::move(answer), false, opensWith};
}

Step Warn(const std::string& shows) {
    return {shows, std::nullopt, true, ""};
}

struct KeyEntryCase {
    const char* name;
    std::vector<Step> steps;
    std::optional<std::string> key; // nullopt: the entry is cancelled
};

class EnterCryptKey : public ExtractorFixture,
                      public ::testing::WithParamInterface<KeyEntryCase> {};

TEST_P(EnterCryptKey, AsksUntilALongEnoughKeyIsConfirmed) {
    const KeyEntryCase& c = GetParam();
    for (const Step& s : c.steps) {
        if (s.warning)
            prompts_.QueueResult(archive::MessageResult::idOK);
        else
            prompts_.QueueText(s.answer);
    }
    KeyEntryExtractor x;
    if (c.key) {
        x.EnterCryptKey();
        EXPECT_EQ(x.Key(), *c.key);
    } else {
        EXPECT_THROW(x.EnterCryptKey(), archive::EAbort);
        EXPECT_EQ(x.Key(), "");
    }
    ASSERT_EQ(prompts_.Records().size(), c.steps.size());
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
        const archive::PromptView& v = prompts_.Records()[i];
        EXPECT_EQ(v.Lines.at(0), c.steps[i].shows) << i;
        EXPECT_EQ(v.Caption, c.steps[i].warning ? "Advertencia" : "Mensaje de Sistema") << i;
        if (!c.steps[i].warning) {
            EXPECT_EQ(v.Value, c.steps[i].opensWith) << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, EnterCryptKey,
    ::testing::Values(
        KeyEntryCase{
            "Confirmed", {Ask(kEnter, "clave larga"), Ask(kConfirm, "clave larga")}, "clave larga"},
        KeyEntryCase{"TenCharactersAreEnough",
                     {Ask(kEnter, "0123456789"), Ask(kConfirm, "0123456789")},
                     "0123456789"},
        // Asked again with the short key in the field, to be added to.
        KeyEntryCase{"TooShortIsAskedAgain",
                     {Ask(kEnter, "123456789"), Warn(kTooShort),
                      Ask(kEnter, "clave larga", "123456789"), Ask(kConfirm, "clave larga")},
                     "clave larga"},
        // Starting over begins with an empty field.
        KeyEntryCase{"NotConfirmedStartsOver",
                     {Ask(kEnter, "clave larga"), Ask(kConfirm, "clave largo"), Warn(kNotConfirmed),
                      Ask(kEnter, "otra clave larga"), Ask(kConfirm, "otra clave larga")},
                     "otra clave larga"},
        KeyEntryCase{"CancelledAtTheKey", {Ask(kEnter, std::nullopt)}, std::nullopt},
        // A key typed but never confirmed is not kept.
        KeyEntryCase{"CancelledAtTheConfirmation",
                     {Ask(kEnter, "clave larga"), Ask(kConfirm, std::nullopt)},
                     std::nullopt},
        KeyEntryCase{"CancelledAfterATooShortKey",
                     {Ask(kEnter, "corta"), Warn(kTooShort), Ask(kEnter, std::nullopt, "corta")},
                     std::nullopt}),
    [](const ::testing::TestParamInfo<KeyEntryCase>& row) { return std::string(row.param.name); });

TEST_F(ExtractorFixture, EnterCryptKeyHandlerAnswersWithoutPrompts) {
    KeyEntryExtractor x;
    x.OnEnterCryptKey = [](archive::TArchiverRoot&, std::string& key) { key = "corta"; };
    x.EnterCryptKey();
    EXPECT_EQ(x.Key(), "corta"); // the handler's key is taken as it is
    EXPECT_TRUE(prompts_.Records().empty());
}

} // namespace
} // namespace vexo::extract::testing
