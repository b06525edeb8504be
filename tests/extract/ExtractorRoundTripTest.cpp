// ExtractorRoundTripTest.cpp - archives built by the writer come back byte for byte, with the
// stored dates and attributes.
#include "ExtractorFixture.h"

#include "archive/Exceptions.h"
#include "platform/Encoding.h"

namespace vexo::extract::testing {
namespace {

struct SizeCase {
    std::size_t size;
    bool random;
    bool store;
};

class RoundTrip : public ExtractorFixture, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(RoundTrip, FileComesBackByteForByte) {
    const SizeCase c = GetParam();
    Bytes data = c.random ? RandomBytes(c.size, 7) : Compressible(c.size);
    std::string arc = Build({{"dir\\file.bin", data}}, c.store);
    TExtractor x;
    Prepare(x, arc);
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    EXPECT_EQ(ReadFileBytes(Out("dir\\file.bin")), data);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, RoundTrip,
    ::testing::Values(SizeCase{0, true, false}, SizeCase{1, true, false},
                      SizeCase{65535, true, false}, SizeCase{65536, true, false},
                      SizeCase{65537, true, false}, SizeCase{65537, false, false},
                      SizeCase{3 * 1024 * 1024 + 17, true, false},
                      SizeCase{5 * 1024 * 1024, false, false}, SizeCase{200000, false, true},
                      SizeCase{1, false, true}));

TEST_F(ExtractorFixture, TreeWithFoldersNestedDirectoriesAndAccentedNames) {
    const std::string accented = W1252("Año\\Canción ñ.txt");
    Bytes a = Compressible(1000), b = RandomBytes(70000, 3), c = Compressible(5);
    std::string arc = Build({{"top.txt", a},
                             {"one\\two\\three\\deep.bin", b},
                             {accented, c},
                             {"empty\\folder", {}, true}});
    TExtractor x;
    Prepare(x, arc);
    std::vector<std::string> extracted;
    x.OnFileExtracted = [&](archive::TArchiverRoot&, const archive::TFileEntry&,
                            const std::string& dest) { extracted.push_back(dest); };
    x.ExtractAll();
    EXPECT_EQ(ReadFileBytes(Out("top.txt")), a);
    EXPECT_EQ(ReadFileBytes(Out("one\\two\\three\\deep.bin")), b);
    EXPECT_EQ(ReadFileBytes(Out(accented)), c);
    EXPECT_TRUE(platform::DirectoryExists(Out("empty\\folder")));
    // The folder entry makes its directory only: no OnFileExtracted for it.
    ASSERT_EQ(extracted.size(), 3u);
    EXPECT_EQ(extracted[0], std::string(kOut) + "\\");
    EXPECT_EQ(extracted[1], Out("one\\two\\three\\"));
}

TEST_F(ExtractorFixture, WithoutRestorePathEveryFileLandsInTheExtractPath) {
    std::string arc = Build({{"a\\x.txt", Compressible(10)}, {"b\\y.txt", Compressible(20)}});
    TExtractor x;
    Prepare(x, arc);
    x.SetOptions(x.Options() & ~archive::OptionBit(archive::oRestorePath));
    x.ExtractAll();
    EXPECT_EQ(ReadFileBytes(Out("x.txt")).size(), 10u);
    EXPECT_EQ(ReadFileBytes(Out("y.txt")).size(), 20u);
    EXPECT_FALSE(platform::DirectoryExists(Out("a")));
}

TEST_F(ExtractorFixture, ModificationTimeIsTheEntryTimeTruncatedToEvenSeconds) {
    std::string arc = Build({{"t.txt", Compressible(3)}});
    TExtractor x;
    Prepare(x, arc);
    x.ExtractAll();
    std::int32_t age = platform::GetFileAge(Out("t.txt"));
    EXPECT_EQ(archive::DateTimeToCivil(archive::DosDateTimeToDateTime(age)),
              (archive::CivilDateTime{2009, 1, 22, 9, 36, 36, 0}));
}

TEST_F(ExtractorFixture, AttributesAreRestoredAsStored) {
    std::string arc = Build({{"ro.txt", Compressible(3), false, EntryDate(), 0x21},
                             {"plain.txt", Compressible(3), false, EntryDate(), 0x20}});
    TExtractor x;
    Prepare(x, arc);
    x.ExtractAll();
    EXPECT_EQ(platform::GetFileAttributes(Out("ro.txt")) & platform::kAttrReadOnly, 1u);
    EXPECT_EQ(platform::GetFileAttributes(Out("plain.txt")) & platform::kAttrReadOnly, 0u);
}

TEST_F(ExtractorFixture, ReadOnlyDestinationIsReplaced) {
    WriteFileBytes(Out("ro.txt"), Bytes(50, 'x'));
    ASSERT_TRUE(platform::SetFileAttributes(Out("ro.txt"), platform::kAttrReadOnly));
    Bytes data = Compressible(123);
    std::string arc = Build({{"ro.txt", data, false, EntryDate(), 0x20}});
    TExtractor x;
    Prepare(x, arc);
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    EXPECT_EQ(ReadFileBytes(Out("ro.txt")), data);
    EXPECT_EQ(platform::GetFileAttributes(Out("ro.txt")) & platform::kAttrReadOnly, 0u);
}

TEST_F(ExtractorFixture, AcceptFalseSkipsAndIndexStillCounts) {
    std::string arc = Build({{"a.txt", Compressible(5)}, {"b.txt", Compressible(6)}});
    TExtractor x;
    Prepare(x, arc);
    std::vector<int> indexes;
    x.OnExtractFile = [](archive::TArchiverRoot&, const archive::TFileEntry& e, std::string&,
                         bool& accept) { accept = e.Name != "a.txt"; };
    x.OnExtractFileByIndex = [&](archive::TArchiverRoot&, int index, std::string& dest, bool&) {
        indexes.push_back(index);
        dest = std::string(kOut) + "\\moved";
    };
    x.ExtractAll();
    EXPECT_EQ(indexes, (std::vector<int>{0, 1}));
    EXPECT_FALSE(platform::FileExists(Out("a.txt")));
    EXPECT_EQ(ReadFileBytes(Out("moved\\b.txt")).size(), 6u);
}

TEST_F(ExtractorFixture, ParentComponentsAreRefusedPerEntry) {
    std::string arc = Build({{"..\\..\\evil.txt", Compressible(5)}, {"ok.txt", Compressible(6)}});
    TExtractor x;
    Prepare(x, arc);
    x.SetErrorAction(archive::eaContinue);
    std::string error;
    x.OnError = [&](archive::TArchiverRoot&, const std::exception& e, const archive::TFileEntry&,
                    archive::TErrorAction&) { error = e.what(); };
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    EXPECT_EQ(error, "Nombre no permitido en el archivo: ..\\..\\evil.txt");
    EXPECT_FALSE(platform::FileExists("C:\\evil.txt"));
    EXPECT_TRUE(platform::FileExists(Out("ok.txt")));
}

TEST_F(ExtractorFixture, DriveNamesStayInsideTheExtractPathWhenConfined) {
    std::string arc = Build({{"C:\\elsewhere\\f.txt", Compressible(5)}});
    TExtractor x;
    Prepare(x, arc);
    x.SetAllowAbsolutePaths(false);
    x.ExtractAll();
    EXPECT_TRUE(platform::FileExists(Out("elsewhere\\f.txt")));
    EXPECT_FALSE(platform::FileExists("C:\\elsewhere\\f.txt"));
}

TEST_F(ExtractorFixture, DriveNamesKeepTheirPlaceByDefault) {
    std::string arc = Build({{"C:\\elsewhere\\f.txt", Compressible(5)}});
    TExtractor x;
    Prepare(x, arc);
    x.ExtractAll();
    EXPECT_TRUE(platform::FileExists("C:\\elsewhere\\f.txt"));
}

} // namespace
} // namespace vexo::extract::testing
