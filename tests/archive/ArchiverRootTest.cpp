// ArchiverRootTest.cpp - the archive component's settings, open and close, progress rule,
// temporary names and directory creation.
#include "archive/ArchiverRoot.h"
#include "archive/ArchiveWriter.h"
#include "archive/Exceptions.h"
#include "common/ScriptedPrompts.h"
#include "platform/Encoding.h"
#include "platform/ScopedTestPrefix.h"

#include <gtest/gtest.h>

namespace vexo::archive {
namespace {

// Exposes the progress state for the figures.
class ProbeRoot : public TArchiverRoot {
  public:
    void Figures(double total, double processed, double archiveStored, int files,
                 int segmentFiles) {
        totalBytes_ = total;
        processedBytes_ = processed;
        header_.ArchiveInfo.CompressedSize = archiveStored;
        filesProcessed_ = files;
        header_.SegmentInfo.FileCount = segmentFiles;
    }
    using TArchiverRoot::CreateDirectoryPath;
    using TArchiverRoot::FinishOperation;
    using TArchiverRoot::SetState;
    using TArchiverRoot::ShowProgress;
    using TArchiverRoot::StartOperation;
};

TEST(Progress, DesignFigures) {
    ProbeRoot r;
    r.Figures(0, 267922, 535844, 0, 0);
    r.ShowProgress();
    EXPECT_EQ(r.Percent(), 50);

    r.SetOptions(r.Options() | OptionBit(oOpenSingleSegment));
    r.Figures(0, 0, 0, 13, 26);
    r.ShowProgress();
    EXPECT_EQ(r.Percent(), 50);

    r.SetOptions(kDefaultOptions);
    r.Figures(100, 75, 0, 0, 0);
    r.SetState(sbUnpackingSolid, true);
    r.ShowProgress();
    EXPECT_EQ(r.Percent(), 37);
    r.SetState(sbUnpackingSolid, false);

    r.Figures(100, 40, 0, 0, 0);
    r.SetState(sbEnumeratingAfterOpen, true);
    r.ShowProgress();
    EXPECT_EQ(r.Percent(), 70);
}

TEST(Progress, RoundsHalfToEven) {
    EXPECT_EQ(ProgressPercent(1, 8, false, false), 12); // 12.5
    EXPECT_EQ(ProgressPercent(3, 8, false, false), 38); // 37.5
    EXPECT_EQ(ProgressPercent(5, 0, false, false), 0);
    EXPECT_EQ(ProgressPercent(1, 1, true, false), 50);
}

TEST(Progress, FiresTheEventAndHonoursAnAbortRequest) {
    ProbeRoot r;
    std::vector<int> seen;
    r.OnFileProgress = [&](TArchiverRoot&, int p) { seen.push_back(p); };
    r.Figures(200, 50, 0, 0, 0);
    r.ShowProgress();
    EXPECT_EQ(seen, std::vector<int>{25});
    r.RequestAbort();
    EXPECT_EQ(r.OperationStatus(), TOperationStatus::AbortRequested);
    EXPECT_THROW(r.ShowProgress(), EAbort);
}

TEST(Settings, BlockSizeAndDefaults) {
    TArchiverRoot r;
    EXPECT_EQ(r.Options(), 551313u);
    EXPECT_EQ(r.ErrorAction(), eaAsk);
    EXPECT_EQ(r.Filter(), "*.*");
    r.SetBlockSize(1000);
    EXPECT_EQ(r.BlockSize(), 65536);
    r.SetBlockSize(1024);
    EXPECT_EQ(r.BlockSize(), 1024);
}

TEST(Operations, NestingStartsAndFinishesOnce) {
    ProbeRoot r;
    int starts = 0, finishes = 0;
    r.OnStartOperation = [&](TArchiverRoot&) { ++starts; };
    r.OnFinishOperation = [&](TArchiverRoot&) { ++finishes; };
    r.StartOperation();
    r.StartOperation();
    EXPECT_TRUE(r.IsBusy());
    r.FinishOperation();
    EXPECT_EQ(finishes, 0);
    r.FinishOperation();
    r.FinishOperation(); // one too many does nothing
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(finishes, 1);
    EXPECT_FALSE(r.IsBusy());
}

class RootFiles : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(platform::CreateDirectory("C:\\work")); }

    std::string Build() {
        const std::string name = "C:\\work\\a.arc";
        auto out = platform::OpenFile(name, platform::OpenMode::Create);
        ArchiveWriter w(*out, {});
        w.AddFile("x.txt", 39835.4, 0x20, 'R', std::vector<std::uint8_t>(10, 'x'));
        w.Finish();
        return name;
    }

    platform::ScopedTestPrefix prefix_;
    vexo::test::ScriptedPrompts prompts_;
    ScopedPrompts scoped_{prompts_};
};

TEST_F(RootFiles, OpenReadsTheHeaderAndCloseForgetsIt) {
    TArchiverRoot r;
    r.SetFileName(Build());
    int opened = 0;
    r.OnAfterOpen = [&](TArchiverRoot& s) {
        ++opened;
        EXPECT_EQ(s.Header().ArchiveInfo.FileCount, 1);
    };
    r.Open();
    EXPECT_TRUE(r.IsOpen());
    r.SetFileName("C:\\work\\a.arc"); // same text: stays open
    EXPECT_TRUE(r.IsOpen());
    r.SetFileName("C:\\work\\b.arc");
    EXPECT_FALSE(r.IsOpen());
    EXPECT_EQ(opened, 1);
}

TEST_F(RootFiles, RefusedArchiveEndsClosed) {
    TArchiverRoot r;
    r.SetFileName(Build());
    r.OnAcceptArchive = [](TArchiverRoot&, const TArchiveHeader&, bool& accept) { accept = false; };
    try {
        r.Open();
        FAIL();
    } catch (const EArchiver& e) {
        EXPECT_EQ(std::string(e.what()), "El archivo no puede usarse");
    }
    EXPECT_FALSE(r.IsOpen());
}

TEST_F(RootFiles, MissingArchiveCannotBeCreated) {
    TArchiverRoot r;
    r.SetFileName("C:\\work\\none.arc");
    try {
        r.Open();
        FAIL();
    } catch (const EArchiver& e) {
        EXPECT_EQ(std::string(e.what()), "Este componente no puede crear un archivo");
    }
    TArchiverRoot empty;
    EXPECT_THROW(empty.Open(), EArchiver);
}

TEST_F(RootFiles, WrongSignatureNamesTheFile) {
    {
        auto out = platform::OpenFile("C:\\work\\bad.arc", platform::OpenMode::Create);
        std::vector<std::uint8_t> junk(400, 0);
        out->WriteBuffer(junk.data(), junk.size());
    }
    TArchiverRoot r;
    r.SetFileName("C:\\work\\bad.arc");
    try {
        r.Open();
        FAIL();
    } catch (const EArchiver& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Firma Erronea: el archivo \"C:\\work\\bad.arc\" no es valido");
    }
}

std::uint32_t FixedTicks() {
    return 0x1000;
}

TEST_F(RootFiles, TemporaryNamesSkipExistingOnes) {
    TArchiverRoot r;
    r.SetTickSource(&FixedTicks);
    const std::string dir = platform::TempDirectory();
    const std::string first = r.MakeTempFileName();
    EXPECT_EQ(first, dir + "~Archiv-1001.tmp");
    platform::OpenFile(first, platform::OpenMode::Create).reset();
    EXPECT_EQ(r.MakeTempFileName(), dir + "~Archiv-1002.tmp");
}

TEST_F(RootFiles, CreateDirectoryPathMakesParentsAndRefusesEmpty) {
    ProbeRoot r;
    r.CreateDirectoryPath("C:\\work\\a\\b\\c\\");
    EXPECT_TRUE(platform::DirectoryExists("C:\\work\\a\\b\\c"));
    try {
        r.CreateDirectoryPath("nowhere");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()), "No puedo crear el directorio");
    }
}

TEST_F(RootFiles, HandleErrorAsksWithYesToAllRemembered) {
    ProbeRoot r;
    r.StartOperation();
    std::runtime_error failure("boom");
    prompts_.QueueResult(ContinueAnswer::YesToAll);
    EXPECT_TRUE(r.HandleError(failure));
    EXPECT_TRUE(r.HandleError(failure)); // no second prompt
    EXPECT_EQ(prompts_.Records().size(), 1u);
    r.SetErrorAction(eaAbort);
    EXPECT_FALSE(r.HandleError(failure));
    r.OnError = [](TArchiverRoot&, const std::exception&, const TFileEntry&, TErrorAction& a) {
        a = eaContinue;
    };
    EXPECT_TRUE(r.HandleError(failure));
    r.FinishOperation();
}

} // namespace
} // namespace vexo::archive
