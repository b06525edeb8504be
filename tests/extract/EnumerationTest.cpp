// EnumerationTest.cpp - walking the entries without decoding data, by call and after open.
#include "ExtractorFixture.h"

#include "archive/Exceptions.h"
#include "archive/SegmentedArchiveWriter.h"
#include "extract/PayloadEncryptor.h"
#include "platform/Encoding.h"

namespace vexo::extract::testing {
namespace {

using archive::OptionBit;

class Enumeration : public ExtractorFixture {
  protected:
    /// Names reported to OnEnumeration.
    std::vector<std::string> Enumerated(TExtractor& x) {
        std::vector<std::string> names;
        x.OnEnumeration = [&names](archive::TArchiverRoot&, const archive::TFileEntry& e) {
            names.push_back(e.Name);
        };
        x.EnumerateArchive();
        return names;
    }
};

struct FolderCase {
    const char* name;
    bool showEmptyFolders;
    std::vector<std::string> expected;
};

class EnumerationFolders : public Enumeration, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(EnumerationFolders, AFolderEntryIsReportedOnlyWithShowEmptyFolders) {
    const FolderCase& c = GetParam();
    SourceFile folder{"vacia", {}};
    folder.folder = true;
    std::string arc = Build({{"a.txt", Compressible(300)}, folder, {"b\\c.txt", Bytes{1, 2}}});
    TExtractor x;
    x.SetFileName(arc);
    archive::TOptions o = x.Options() & ~OptionBit(archive::oShowEmptyFolders);
    if (c.showEmptyFolders) o |= OptionBit(archive::oShowEmptyFolders);
    x.SetOptions(o);
    EXPECT_EQ(Enumerated(x), c.expected);
    EXPECT_FALSE(x.IsBusy());
}

INSTANTIATE_TEST_SUITE_P(
    Options, EnumerationFolders,
    ::testing::Values(FolderCase{"Shown", true, {"a.txt", "vacia", "b\\c.txt"}},
                      FolderCase{"Hidden", false, {"a.txt", "b\\c.txt"}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(Enumeration, MaintainFileDirectoryFillsTheListAtOpenAndClearingItIsReported) {
    SourceFile folder{"vacia", {}};
    folder.folder = true;
    std::string arc = Build({{"a.txt", Compressible(300)}, folder, {"b.txt", RandomBytes(9, 1)}});
    TExtractor x;
    x.SetFileName(arc);
    x.SetOptions(x.Options() | OptionBit(archive::oMaintainFileDirectory));
    int cleared = 0;
    x.OnClearFileList = [&](archive::TArchiverRoot& s) {
        ++cleared;
        EXPECT_TRUE(s.FileList().empty());
    };
    x.Open();
    ASSERT_EQ(x.FileList().size(), 3u);
    EXPECT_EQ(x.FileList()[0]->Entry.Name, "a.txt");
    EXPECT_EQ(x.FileList()[0]->Entry.FileSize, 300);
    EXPECT_EQ(x.FileList()[1]->Entry.Name, "vacia");
    EXPECT_NE(x.FileList()[1]->Entry.Flags & archive::kEntryFolder, 0);
    EXPECT_EQ(x.FileList()[2]->Entry.Name, "b.txt");
    const int afterOpen = cleared;
    EXPECT_GE(afterOpen, 1); // the enumeration starts from an empty list

    // A second enumeration does not add to the list: it starts again.
    x.EnumerateArchive();
    EXPECT_EQ(x.FileList().size(), 3u);
    EXPECT_EQ(cleared, afterOpen + 1);

    x.Close();
    EXPECT_TRUE(x.FileList().empty());
    EXPECT_GT(cleared, afterOpen + 1);
}

TEST_F(Enumeration, WithoutMaintainFileDirectoryTheListStaysEmpty) {
    std::string arc = Build({{"a.txt", Compressible(300)}});
    TExtractor x;
    x.SetFileName(arc);
    x.SetOptions(x.Options() & ~OptionBit(archive::oMaintainFileDirectory));
    EXPECT_EQ(Enumerated(x), (std::vector<std::string>{"a.txt"}));
    EXPECT_TRUE(x.FileList().empty());
}

// Stored blocks of 32 and 52 bytes: 40 and 60 bytes with their heads, so the first entry is
// 40 % of the archive's stored total.
class EnumerationProgress : public Enumeration {
  protected:
    std::string Archive() {
        std::string arc =
            Build({{"cuarenta", RandomBytes(32, 4)}, {"sesenta", RandomBytes(52, 6)}}, true);
        TExtractor probe;
        probe.SetFileName(arc);
        probe.Open();
        EXPECT_EQ(probe.Header().ArchiveInfo.CompressedSize, 100);
        return arc;
    }
};

TEST_F(EnumerationProgress, AfterOpenFortyPercentIsReportedAsSeventy) {
    std::string arc = Archive();
    TExtractor x;
    x.SetFileName(arc);
    x.SetOptions(x.Options() | OptionBit(archive::oEnumerateAfterOpen));
    std::vector<int> percents;
    std::vector<int> enumerating;
    x.OnFileProgress = [&](archive::TArchiverRoot& s, int percent) {
        percents.push_back(percent);
        enumerating.push_back(s.HasState(archive::sbEnumeratingAfterOpen));
    };
    std::vector<std::string> names;
    x.OnEnumeration = [&](archive::TArchiverRoot&, const archive::TFileEntry& e) {
        names.push_back(e.Name);
    };
    x.Open();
    EXPECT_EQ(names, (std::vector<std::string>{"cuarenta", "sesenta"}));
    EXPECT_EQ(percents, (std::vector<int>{50, 70, 100}));
    EXPECT_EQ(enumerating, (std::vector<int>{1, 1, 1}));
    EXPECT_FALSE(x.HasState(archive::sbEnumeratingAfterOpen));
}

TEST_F(EnumerationProgress, ACalledEnumerationReportsTheComputedPercent) {
    std::string arc = Archive();
    TExtractor x;
    x.SetFileName(arc);
    std::vector<int> percents;
    x.OnFileProgress = [&](archive::TArchiverRoot&, int percent) { percents.push_back(percent); };
    x.Open();
    EXPECT_TRUE(percents.empty());
    x.EnumerateArchive();
    EXPECT_EQ(percents, (std::vector<int>{0, 40, 100}));
}

TEST_F(Enumeration, AnArchiveWithoutEntriesReportsNothingAndFinishes) {
    std::string arc = Build({});
    TExtractor x;
    x.SetFileName(arc);
    int finished = 0;
    std::vector<std::string> log;
    x.OnFinishOperation = [&](archive::TArchiverRoot&) { ++finished; };
    x.OnAddToLog = [&](archive::TArchiverRoot&, const std::string& m) { log.push_back(m); };
    EXPECT_TRUE(Enumerated(x).empty());
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"Cargando contenido del archivo..."}));
    EXPECT_EQ(x.CurrentOperation(), archive::opNone);
}

TEST_F(Enumeration, ReadsNoDataNeitherDamagedNorEncrypted) {
    Bytes damaged = MakeBlock(ZlibStream(Compressible(4000)), false);
    damaged[30] ^= 0x04;
    RawEntry bad;
    bad.entry.Name = "bad.txt";
    bad.entry.Date = EntryDate();
    bad.entry.FileSize = 4000;
    bad.blocks = damaged;
    std::string arc = BuildRaw({bad});
    TExtractor x;
    x.SetFileName(arc);
    int asked = 0;
    x.OnRequestCryptKey = [&](archive::TArchiverRoot&, std::string&) { ++asked; };
    EXPECT_EQ(Enumerated(x), (std::vector<std::string>{"bad.txt"}));

    auto out = platform::OpenFile("C:\\work\\enc.arc", platform::OpenMode::Create);
    archive::ArchiveWriterOptions o;
    o.Encrypt = MakePayloadEncryptor("clave secreta");
    archive::ArchiveWriter w(*out, o);
    w.AddFile("secreto.txt", EntryDate(), 0x20, 'R', Compressible(500));
    w.Finish();
    out.reset();
    TExtractor y;
    y.SetFileName("C:\\work\\enc.arc");
    y.OnRequestCryptKey = x.OnRequestCryptKey;
    EXPECT_EQ(Enumerated(y), (std::vector<std::string>{"secreto.txt"}));
    EXPECT_EQ(asked, 0);
}

TEST_F(Enumeration, DoesNothingWhileAnotherOperationRuns) {
    std::string arc = Build({{"a.txt", Compressible(300)}, {"b.txt", Compressible(30)}});
    TExtractor x;
    Prepare(x, arc);
    int reported = 0;
    x.OnEnumeration = [&](archive::TArchiverRoot&, const archive::TFileEntry&) { ++reported; };
    bool tried = false;
    x.OnFileProgress = [&](archive::TArchiverRoot&, int) {
        if (tried) return;
        tried = true;
        x.EnumerateArchive();
    };
    prompts_.QueueResult(archive::MessageResult::idOK);
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    EXPECT_EQ(reported, 0);
    ASSERT_EQ(prompts_.Records().size(), 1u); // the busy warning
    EXPECT_EQ(prompts_.Records()[0].Lines.at(0),
              W1252("Componente TExtractor esta Ocupado. Cancelar operación actual  y reintentar"));
}

TEST_F(Enumeration, SkippingAnEntryThatEndsItsSegmentGoesOnWithTheNextFile) {
    // The first file fills segment 1 exactly up to where the second no longer fits.
    archive::ArchiveWriterOptions o;
    o.BlockSize = 1024;
    o.Store = true;
    {
        archive::SegmentedArchiveWriter w("C:\\work\\edge.arc", o, 3000);
        w.AddFile("uno.bin", EntryDate(), 0x20, 'R', RandomBytes(2500, 1));
        w.AddFile("dos.bin", EntryDate(), 0x20, 'R', RandomBytes(100, 2));
        w.Finish();
        ASSERT_EQ(w.SegmentNames().size(), 2u);
    }
    TExtractor x;
    Prepare(x, "C:\\work\\edge.arc");
    x.OnExtractFile = [](archive::TArchiverRoot&, const archive::TFileEntry& e, std::string&,
                         bool& accept) { accept = e.Name != "uno.bin"; };
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    EXPECT_FALSE(platform::FileExists(Out("uno.bin")));
    EXPECT_EQ(ReadFileBytes(Out("dos.bin")), RandomBytes(100, 2));
}

TEST_F(Enumeration, AfterOpenEnumerationFollowsAllSegments) {
    archive::ArchiveWriterOptions o;
    o.BlockSize = 1024;
    o.Store = true;
    {
        archive::SegmentedArchiveWriter w("C:\\work\\multi.arc", o, 3000);
        w.AddFile("uno.bin", EntryDate(), 0x20, 'R', RandomBytes(2500, 1));
        w.AddFile("dos.bin", EntryDate(), 0x20, 'R', RandomBytes(2500, 2));
        w.AddFile("tres.bin", EntryDate(), 0x20, 'R', RandomBytes(100, 3));
        w.Finish();
        ASSERT_GE(w.SegmentNames().size(), 3u);
    }
    TExtractor x;
    x.SetFileName("C:\\work\\multi.arc");
    x.SetOptions(x.Options() | OptionBit(archive::oMaintainFileDirectory));
    x.Open();
    std::vector<std::string> names;
    for (const auto& item : x.FileList())
        names.push_back(item->Entry.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"uno.bin", "dos.bin", "tres.bin"}));
}

} // namespace
} // namespace vexo::extract::testing
