// ExtractorMessagesTest.cpp - the texts an extraction hands to OnDisplayMessage and OnAddToLog
// for each file, and Loaded() bringing back the built-in texts over stored ones.
#include "ExtractorFixture.h"

#include "archive/PromptTexts.h"
#include "platform/Encoding.h"

namespace vexo::extract::testing {
namespace {

struct FileMessageCase {
    const char* name;
    const char* stored;   // the entry's stored name (UTF-8 here)
    std::size_t size;     // its FileSize
    const char* redirect; // DestPath set by OnExtractFile; empty: left as it is
    bool accept;
    bool existingSkipped; // the destination exists and the policy skips it
    const char* display;  // empty: no message at all
    const char* log;
};

class FileMessages : public ExtractorFixture,
                     public ::testing::WithParamInterface<FileMessageCase> {};

TEST_P(FileMessages, TheNameGoesToTheDisplayAndTheFullPathToTheLog) {
    const FileMessageCase& c = GetParam();
    const std::string stored = W1252(c.stored);
    TExtractor x;
    Prepare(x, Build({{stored, Compressible(c.size)}}));
    if (c.existingSkipped) {
        x.SetRestoreAction(raSkip);
        WriteFileBytes(Out(stored), Compressible(3));
    }
    x.OnExtractFile = [&](archive::TArchiverRoot&, const archive::TFileEntry&, std::string& dest,
                          bool& accept) {
        if (*c.redirect) dest = c.redirect;
        accept = c.accept;
    };
    std::vector<std::string> events; // in order, marked by where they went
    x.OnDisplayMessage = [&](archive::TArchiverRoot&, const std::string& m) {
        events.push_back("display: " + platform::Cp1252ToUtf8(m));
    };
    x.OnAddToLog = [&](archive::TArchiverRoot&, const std::string& m) {
        events.push_back("log: " + platform::Cp1252ToUtf8(m));
    };
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    std::vector<std::string> expected;
    if (*c.display) expected = {std::string("display: ") + c.display, std::string("log: ") + c.log};
    EXPECT_EQ(events, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, FileMessages,
    ::testing::Values(
        FileMessageCase{"InTheRoot", "b.txt", 10, "", true, false, "Extrayendo b.txt (10)",
                        "Extrayendo C:\\out\\b.txt (10)"},
        FileMessageCase{"InAStoredFolder", "Datos\\Asientos Nóminas\\EMP.DAT", 70000, "", true,
                        false, "Extrayendo EMP.DAT (70000)",
                        "Extrayendo C:\\out\\Datos\\Asientos Nóminas\\EMP.DAT (70000)"},
        FileMessageCase{"Redirected", "Datos\\EMP.DAT", 3000, "C:\\otro", true, false,
                        "Extrayendo EMP.DAT (3000)", "Extrayendo C:\\otro\\EMP.DAT (3000)"},
        FileMessageCase{"Empty", "vacío.txt", 0, "", true, false, "Extrayendo vacío.txt (0)",
                        "Extrayendo C:\\out\\vacío.txt (0)"},
        FileMessageCase{"Refused", "b.txt", 10, "", false, false, "", ""},
        FileMessageCase{"SkippedByThePolicy", "b.txt", 10, "", true, true, "", ""}),
    [](const ::testing::TestParamInfo<FileMessageCase>& row) {
        return std::string(row.param.name);
    });

// Settings stored with other texts; Loaded() runs once they have been read.
struct LoadedCase {
    const char* name;
    archive::TLanguage language;
    const char* display;
    const char* overwriteCaption;
};

class LoadedTexts : public ExtractorFixture, public ::testing::WithParamInterface<LoadedCase> {
  protected:
    // The prompt texts are the process's own: the built-in ones are published again.
    void TearDown() override { archive::TExtrMessages().PublishPromptTexts(); }
};

TEST_P(LoadedTexts, AutomaticLanguageBringsBackTheBuiltInTexts) {
    TExtractor x;
    Prepare(x, Build({{"b.txt", Compressible(10)}}));
    x.SetLanguage(GetParam().language);
    archive::TExtrMessages stored = x.Messages();
    stored.ExtractingFile = "Sacando %s (%d)";
    stored.ConfirmFileOverwrite = "Sobrescribir";
    x.SetMessages(stored);
    ASSERT_EQ(archive::PromptTexts().ConfirmFileOverwrite, "Sobrescribir");
    x.Loaded();

    x.SetRestoreAction(raAsk);
    WriteFileBytes(Out("b.txt"), Compressible(3));
    prompts_.QueueResult(archive::OverwriteAnswer::Yes);
    std::vector<std::string> shown;
    x.OnDisplayMessage = [&](archive::TArchiverRoot&, const std::string& m) { shown.push_back(m); };
    x.ExtractAll();
    EXPECT_EQ(shown, std::vector<std::string>{GetParam().display});
    ASSERT_EQ(prompts_.Records().size(), 1u);
    EXPECT_EQ(prompts_.Records()[0].Caption, GetParam().overwriteCaption);
}

INSTANTIATE_TEST_SUITE_P(
    Languages, LoadedTexts,
    ::testing::Values(LoadedCase{"Automatic", archive::TLanguage::lgAutomatic,
                                 "Extrayendo b.txt (10)", "Confirma sobreescribir archivo"},
                      // A chosen language keeps the stored texts.
                      LoadedCase{"Spanish", archive::TLanguage::lgSpanish, "Sacando b.txt (10)",
                                 "Sobrescribir"}),
    [](const ::testing::TestParamInfo<LoadedCase>& row) { return std::string(row.param.name); });

} // namespace
} // namespace vexo::extract::testing
