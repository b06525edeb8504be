// DeepNamesTest.cpp - stored names the host cannot hold: a name of 20,000 folder levels is
// listed, tested and refused per entry without a walk over its levels; names and paths beyond
// the host's limits are refused with a text that says which limit, and nothing of them is made.
#include "ExtractorFixture.h"

#include "archive/Exceptions.h"
#include "archive/PathRoutines.h"
#include "common/HostEnv.h"
#include "platform/Encoding.h"
#include "platform/FaultInjection.h"
#include "platform/PathLimits.h"

namespace vexo::extract::testing {
namespace {

constexpr int kDeepLevels = 20000;

// "a\a\...\a\f": `levels` folders, then the file.
std::string DeepName(int levels) {
    std::string name;
    name.reserve(static_cast<std::size_t>(levels) * 2 + 1);
    for (int i = 0; i < levels; ++i)
        name += "a\\";
    return name + "f";
}

class DeepNames : public ExtractorFixture {
  protected:
    std::string BuildDeep() {
        return BuildRaw({StoredEntry(DeepName(kDeepLevels), deep_), StoredEntry("ok.txt", ok_)});
    }
    Bytes deep_ = Compressible(10);
    Bytes ok_ = Compressible(20);
};

TEST_F(DeepNames, AreListedWhole) {
    TExtractor x;
    Prepare(x, BuildDeep());
    std::vector<std::string> names;
    x.OnEnumeration = [&](archive::TArchiverRoot&, const archive::TFileEntry& e) {
        names.push_back(e.Name);
    };
    x.Open();
    x.EnumerateArchive();
    EXPECT_EQ(names, (std::vector<std::string>{DeepName(kDeepLevels), "ok.txt"}));
}

TEST_F(DeepNames, PassTheTestRunWhichWritesNothing) {
    TExtractor x;
    Prepare(x, BuildDeep());
    int failures = 0;
    x.Open();
    x.TestArchive([&](const archive::TFileEntry&, const std::exception&) { ++failures; });
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    EXPECT_EQ(failures, 0);
}

TEST_F(DeepNames, AreRefusedPerEntryBeforeAnyFolderIsMade) {
    TExtractor x;
    Prepare(x, BuildDeep());
    x.SetErrorAction(archive::eaContinue);
    std::vector<std::string> errors;
    x.OnError = [&](archive::TArchiverRoot&, const std::exception& e, const archive::TFileEntry&,
                    archive::TErrorAction&) { errors.push_back(e.what()); };
    // Counted, never failed: how many folders the run tries to make.
    platform::ScopedFaults faults;
    platform::InjectFault(platform::FaultKind::CreateDirectory, {1 << 30, false});
    x.Open();
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind(W1252("Ruta demasiado larga para el sistema ("), 0), 0u) << errors[0];
    EXPECT_EQ(platform::FaultCallCount(platform::FaultKind::CreateDirectory), 0);
    EXPECT_FALSE(platform::DirectoryExists(Out("a")));
    EXPECT_EQ(ReadFileBytes(Out("ok.txt")), ok_);
}

// --- the host's limits, entry by entry ----------------------------------------------------

struct LimitCase {
    const char* what;
    std::string name;
    bool folder;
    const char* posix;   // the refusal's start on POSIX; nullptr: extracted
    const char* windows; // the same on Windows
    // Wine keeps names in UTF-8 on a Linux file system, whose 255-byte limit such a name passes.
    bool beyondWine = false;
};

const char* const kNameText = "Nombre demasiado largo para el sistema (";
const char* const kPathText = "Ruta demasiado larga para el sistema (";

std::vector<LimitCase> LimitCases() {
    const std::string part255(255, 'n');
    const std::string part100(100, 'p');
    std::string longPath; // 4,545 bytes in folders of 100
    for (int i = 0; i < 45; ++i)
        longPath += part100 + "\\";
    return {
        {"NameOfTheLongestLength", part255, false, nullptr, kPathText},
        {"NameOneByteTooLong", part255 + "n", false, kNameText, kNameText},
        {"FolderNameOneByteTooLong", part255 + "n", true, kNameText, kNameText},
        {"AccentedNameTooLongInUtf8", std::string(150, '\xE9'), false, kNameText, nullptr, true},
        {"ShortNameInADeepFolder", longPath + "f.txt", false, kPathText, kPathText},
        {"FolderOverTheFolderLimit", std::string(2, 'q') + "\\" + std::string(240, 'r'), true,
         nullptr, kPathText},
        {"NameOfAHundredAndFifty", std::string(150, 's'), false, nullptr, nullptr},
    };
}

class HostLimits : public ExtractorFixture, public ::testing::WithParamInterface<LimitCase> {
  protected:
    Bytes ok_ = Compressible(20);
};

TEST_P(HostLimits, RefuseTheEntryWithTheLimitItMeets) {
    const LimitCase& c = GetParam();
    if (vexo::test::kWindowsHost && c.beyondWine && vexo::test::UnderWine())
        GTEST_SKIP() << "Wine's Linux file system holds names of 255 bytes of UTF-8";
    RawEntry entry = StoredEntry(c.name, ok_);
    if (c.folder) {
        entry.entry.Flags = archive::kEntryFolder;
        entry.entry.FileSize = 0;
        entry.blocks.clear();
    }
    TExtractor x;
    Prepare(x, BuildRaw({entry, StoredEntry("ok.txt", ok_)}));
    x.SetErrorAction(archive::eaContinue);
    std::vector<std::string> errors;
    x.OnError = [&](archive::TArchiverRoot&, const std::exception& e, const archive::TFileEntry&,
                    archive::TErrorAction&) { errors.push_back(e.what()); };
    x.Open();
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    const char* expected = vexo::test::kWindowsHost ? c.windows : c.posix;
    if (expected == nullptr) {
        EXPECT_TRUE(errors.empty()) << errors.front();
        if (c.folder)
            EXPECT_TRUE(platform::DirectoryExists(Out(c.name)));
        else
            EXPECT_EQ(ReadFileBytes(Out(c.name)), ok_);
    } else {
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0].rfind(W1252(expected), 0), 0u) << errors[0];
        EXPECT_FALSE(platform::FileExists(Out(c.name)));
        if (const std::string folder = archive::ExtractFilePath(c.name); !folder.empty()) {
            EXPECT_FALSE(platform::DirectoryExists(Out(folder)));
        }
    }
    EXPECT_EQ(ReadFileBytes(Out("ok.txt")), ok_);
}

INSTANTIATE_TEST_SUITE_P(Names, HostLimits, ::testing::ValuesIn(LimitCases()),
                         [](const ::testing::TestParamInfo<LimitCase>& row) {
                             return std::string(row.param.what);
                         });

} // namespace
} // namespace vexo::extract::testing
