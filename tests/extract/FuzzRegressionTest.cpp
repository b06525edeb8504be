// FuzzRegressionTest.cpp - inputs the fuzz targets found, kept as tests.
#include "ExtractorFixture.h"
#include "HexBytes.h"

#include "archive/Exceptions.h"

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
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    x.Close();
    EXPECT_EQ(ReadFileBytes(Out("A.TXT")), Compressible(3000));
}

INSTANTIATE_TEST_SUITE_P(FuzzArchiveList, SolidArchiveTotals,
                         ::testing::Values(SolidTotal{"3.6e79 bytes", "0060BCB3F676739B0741"},
                                           SolidTotal{"2^33 bytes", "00000000000000802040"},
                                           SolidTotal{"plus infinity", "0000000000000080FF7F"},
                                           SolidTotal{"NaN", "000000000000C0FFFF7F"},
                                           SolidTotal{"-5 bytes", "00000000000000A001C0"}));

// Target "extract": an entry record whose stored Offset names another record. Skipping an
// entry seeks back to that Offset and reads the record there, so the walk went round the same
// entries for ever (listing and extraction never returned). Such a record is damaged.
struct MisplacedOffset {
    const char* what;
    int entry;         // the record whose Offset is rewritten
    int pointsAt;      // the record it names instead of itself
    std::int32_t skew; // added to that record's position
};

enum class Walk { Enumerate, ExtractSkipping, Extract };

class MisplacedOffsets : public ExtractorFixture,
                         public ::testing::WithParamInterface<std::tuple<MisplacedOffset, Walk>> {
  protected:
    /// A three-file archive whose records' positions are in `offsets`.
    std::string BuildThree(std::vector<std::int32_t>& offsets) {
        std::string arc = Build({{"a.txt", Compressible(700)},
                                 {"b.txt", RandomBytes(90, 2)},
                                 {"c.txt", Compressible(40)}});
        TExtractor x;
        x.SetFileName(arc);
        x.OnEnumeration = [&](archive::TArchiverRoot&, const archive::TFileEntry& e) {
            offsets.push_back(e.Offset);
        };
        x.EnumerateArchive();
        return arc;
    }
};

TEST_P(MisplacedOffsets, AreRefusedAsDamagedInsteadOfWalkedForEver) {
    const auto& [c, walk] = GetParam();
    std::vector<std::int32_t> offsets;
    const std::string arc = BuildThree(offsets);
    ASSERT_EQ(offsets.size(), 3u);
    {
        // The record: name (int32 length + 5 bytes), 10-byte date, int32 attributes, int16
        // segment, then the int32 Offset.
        auto s = platform::OpenFile(arc, platform::OpenMode::ReadWrite);
        s->SetPosition(offsets[c.entry] + 4 + 5 + 10 + 4 + 2);
        archive::WriteInt32(*s, offsets[c.pointsAt] + c.skew);
    }
    TExtractor x;
    Prepare(x, arc);
    if (walk == Walk::ExtractSkipping)
        x.OnExtractFile = [](archive::TArchiverRoot&, const archive::TFileEntry&, std::string&,
                             bool& accept) { accept = false; };
    try {
        if (walk == Walk::Enumerate)
            x.EnumerateArchive();
        else
            x.ExtractAll();
        ADD_FAILURE() << "the damaged record was accepted";
    } catch (const archive::EArchiver& e) {
        EXPECT_STREQ(e.what(), "CRC incorrecto: los datos dentro del archivo estan corrompidos");
    }
    EXPECT_FALSE(x.IsBusy());
    EXPECT_NE(x.OperationStatus(), archive::TOperationStatus::Completed);
}

std::string MisplacedName(const ::testing::TestParamInfo<std::tuple<MisplacedOffset, Walk>>& info) {
    static const char* const walks[] = {"Enumerate", "ExtractSkipping", "Extract"};
    return std::string(std::get<0>(info.param).what) +
           walks[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(
    FuzzExtract, MisplacedOffsets,
    ::testing::Combine(::testing::Values(MisplacedOffset{"SecondNamesFirst", 1, 0, 0},
                                         MisplacedOffset{"LastNamesFirst", 2, 0, 0},
                                         MisplacedOffset{"FirstNamesSecond", 0, 1, 0},
                                         MisplacedOffset{"OneByteOff", 1, 1, 1},
                                         MisplacedOffset{"IntoTheHeader", 0, 0, -300}),
                       ::testing::Values(Walk::Enumerate, Walk::ExtractSkipping, Walk::Extract)),
    MisplacedName);

} // namespace
} // namespace vexo::extract::testing
