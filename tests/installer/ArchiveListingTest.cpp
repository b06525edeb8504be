// ArchiveListingTest.cpp - reading the installer's entry list with a second, quiet reader.
#include "installer/ArchiveListing.h"
#include "DamageHelpers.h"
#include "InstallerFixture.h"

namespace vexo::installer::test {
namespace {

const std::string kInstaller = "C:\\descargas\\ZPX16.EXE";

std::vector<std::string> Names(const EntryListing& l) {
    std::vector<std::string> out;
    for (const archive::TFileEntry& e : l.entries)
        out.push_back(e.Name);
    return out;
}

class ArchiveListingTest : public InstallerTest {
  protected:
    InstallerWindow& Started() {
        PackageSpec pkg;
        pkg.files = {{"A.TXT", 'R', "a"}, {"Datos\\B.DAT", 'I', "b"}, {"C.TXT", 'X', "c"}};
        InstallerWindow& w = Window(kInstaller, pkg);
        EXPECT_TRUE(w.OnCreate());
        return w;
    }
};

TEST_F(ArchiveListingTest, EveryEntryInArchiveOrderAndTheRunningComponentUntouched) {
    InstallerWindow& w = Started();
    int finishes = 0;
    w.Extractor().OnFinishOperation = [&](archive::TArchiverRoot&) { ++finishes; };
    w.Extractor().SetOperationStatus(archive::TOperationStatus::RunningOrFailed);
    EntryListing l = ListArchiveEntries(w.Extractor());
    EXPECT_TRUE(l.complete);
    EXPECT_EQ(Names(l), (std::vector<std::string>{"A.TXT", "Datos\\B.DAT", "C.TXT"}));
    EXPECT_EQ(l.entries[2].InstallRule, 'X');
    EXPECT_EQ(finishes, 0);
    EXPECT_EQ(w.Extractor().OperationStatus(), archive::TOperationStatus::RunningOrFailed);
    EXPECT_FALSE(w.Extractor().IsOpen());
}

TEST_F(ArchiveListingTest, ADamagedRecordEndsTheListThere) {
    InstallerWindow& w = Started();
    ASSERT_TRUE(DamageRecord(Host(kInstaller), "C.TXT"));
    EntryListing l = ListArchiveEntries(w.Extractor());
    EXPECT_FALSE(l.complete);
    EXPECT_EQ(Names(l), (std::vector<std::string>{"A.TXT", "Datos\\B.DAT"}));
}

TEST_F(ArchiveListingTest, AMissingFileIsNotCreated) {
    InstallerWindow& w = Started();
    std::filesystem::remove(Host(kInstaller));
    EntryListing l = ListArchiveEntries(w.Extractor());
    EXPECT_FALSE(l.complete);
    EXPECT_TRUE(l.entries.empty());
    EXPECT_FALSE(std::filesystem::exists(Host(kInstaller)));
}

} // namespace
} // namespace vexo::installer::test
