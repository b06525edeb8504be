// FuzzRegressionTest.cpp - inputs the fuzz targets found, kept as tests.
#include "ExtractorFixture.h"
#include "HexBytes.h"

#include "platform/Stream.h"

namespace vexo::extract::testing {
namespace {

// Target "archive_list": a solid archive whose whole-archive stored total (an 80-bit value
// read from the header) was far beyond an int was turned into the int total of the inner
// unpacking (undefined; UBSan stopped there). The total only drives progress: the archive must
// open and extract as if it were sound.
struct SolidTotal {
    const char* what;
    const char* extendedHex; // ArchiveInfo's stored-bytes total as stored in the header
};

class SolidArchiveTotals : public ExtractorFixture,
                           public ::testing::WithParamInterface<SolidTotal> {};

TEST_P(SolidArchiveTotals, OpenAndExtractLikeASoundOne) {
    platform::MemoryStream inner;
    {
        archive::ArchiveWriter w(inner, {});
        w.AddFile("A.TXT", EntryDate(), 0x20, 'R', Compressible(3000));
        w.Finish();
    }
    const std::string name = "C:\\work\\solid.arc";
    {
        auto out = platform::OpenFile(name, platform::OpenMode::Create);
        archive::ArchiveWriter w(*out, {});
        w.AddFile("SOLIDO.ARC", EntryDate(), 0x20, 'R', inner.Bytes());
        archive::TArchiveHeader h = w.Finish();
        h.Flags |= archive::kHeaderSolid;
        out->SetPosition(0);
        archive::WriteHeader(*out, h);
        // ArchiveInfo starts at 77: file count, uncompressed total, then the stored total.
        const Bytes total = test::FromHex(GetParam().extendedHex);
        out->SetPosition(77 + 4 + 10);
        out->WriteBuffer(total.data(), total.size());
    }
    TExtractor x;
    Prepare(x, name);
    x.Open();
    EXPECT_TRUE(x.IsSolid());
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), 1);
    x.Close();
    EXPECT_EQ(ReadFileBytes(Out("A.TXT")), Compressible(3000));
}

INSTANTIATE_TEST_SUITE_P(FuzzArchiveList, SolidArchiveTotals,
                         ::testing::Values(SolidTotal{"3.6e79 bytes", "0060BCB3F676739B0741"},
                                           SolidTotal{"2^33 bytes", "00000000000000802040"},
                                           SolidTotal{"plus infinity", "0000000000000080FF7F"},
                                           SolidTotal{"NaN", "000000000000C0FFFF7F"},
                                           SolidTotal{"-5 bytes", "00000000000000A001C0"}));

} // namespace
} // namespace vexo::extract::testing
