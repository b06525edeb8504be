// RemovableSegmentsTest.cpp - a segmented archive on a removable drive: the insert-disk and
// insert-last-disk prompts while disks are changed, and the wrong-last-segment warning that
// only the locate prompt of a fixed drive gives.
// The disks are folders a drive link of the POSIX layer's prefix is pointed at.
#ifndef _WIN32
#include "ExtractorFixture.h"

#include "archive/Exceptions.h"
#include "archive/SegmentedArchiveWriter.h"
#include "platform/Encoding.h"

#include <cstdlib>
#include <filesystem>

namespace vexo::extract::testing {
namespace {

namespace fs = std::filesystem;

const std::string kInsertLast = "Inserte el ultimo Disco en la unidad A:";
const std::string kWrongLast = W1252("¡ Este no es el último segmento !");

std::string InsertDisk(int n) {
    return W1252("Inserta el disco Nº: ") + std::to_string(n) + " en la unidad A:";
}

/// How the drive is made removable: by the test hook, or for the whole process.
enum class Marked { ByOverride, ByEnvironment };

// Drive A: is a link to one of three folders, one per disk; putting a disk in the drive
// relinks it. The segments DISK.ARC, DISK.001 and DISK.002 lie one on each disk.
class RemovableSegments : public ExtractorFixture {
  protected:
    void SetUp() override {
        ExtractorFixture::SetUp();
        archive::ArchiveWriterOptions options;
        options.ArchiveID = 31;
        archive::SegmentedArchiveWriter writer("C:\\work\\DISK-1.ARC", options, 150000);
        writer.AddFile("first.txt", EntryDate(), 0x20, 'R', first_);
        writer.AddFile("middle.bin", EntryDate(), 0x20, 'R', middle_);
        writer.Finish();
        ASSERT_EQ(writer.SegmentNames().size(), 3u);
        for (int disk = 1; disk <= 3; ++disk) {
            const std::string name = writer.SegmentNames()[static_cast<std::size_t>(disk - 1)];
            fs::create_directories(Disk(disk));
            fs::rename(*platform::HostPath(name),
                       Disk(disk) + "/" + name.substr(name.find_last_of('\\') + 1));
        }
        Insert(1);
    }
    void TearDown() override {
        if (unsetEnvironment_) ::unsetenv("VEXO_REMOVABLE_DRIVES");
    }

    std::string Disk(int n) const { return prefix_.Host("disks/" + std::to_string(n)); }
    void Insert(int n) {
        const std::string drive = prefix_.Host("dosdevices/a:");
        fs::remove(drive);
        fs::create_directory_symlink(Disk(n), drive);
    }
    /// A text prompt answered with `drive` once disk `n` is in the drive.
    void AnswerWithDisk(int n, const std::string& drive = "A:") {
        prompts_.QueueText(drive, [this, n] { Insert(n); });
    }
    void MarkRemovable(Marked how) {
        if (how == Marked::ByOverride) {
            platform::SetDriveTypeOverride('A', platform::DriveType::Removable);
        } else {
            ASSERT_EQ(std::getenv("VEXO_REMOVABLE_DRIVES"), nullptr);
            ::setenv("VEXO_REMOVABLE_DRIVES", "a", 1);
            unsetEnvironment_ = true;
        }
        ASSERT_EQ(platform::GetDriveType("A:\\"), platform::DriveType::Removable);
    }
    std::vector<std::string> PromptTexts() const {
        std::vector<std::string> texts;
        for (const archive::PromptView& v : prompts_.Records())
            texts.push_back(v.Lines.at(0));
        return texts;
    }
    void ExpectExtracted() {
        EXPECT_EQ(ReadFileBytes(Out("first.txt")), first_);
        EXPECT_EQ(ReadFileBytes(Out("middle.bin")), middle_);
    }

    Bytes first_ = Compressible(5000);
    Bytes middle_ = RandomBytes(300000, 5); // spans all three disks
    bool unsetEnvironment_ = false;
};

class DisksInTurn : public RemovableSegments, public ::testing::WithParamInterface<Marked> {};

TEST_P(DisksInTurn, EachDiskIsAskedForByNumberOnTheSameDrive) {
    MarkRemovable(GetParam());
    TExtractor x;
    Prepare(x, "A:\\DISK.ARC");
    // Opening looks for the final segment: only the first disk is in the drive.
    AnswerWithDisk(3);
    x.Open();
    EXPECT_EQ(x.Header().Segment, 3);
    EXPECT_EQ(x.Header().ArchiveInfo.FileCount, 2);
    AnswerWithDisk(1);
    AnswerWithDisk(2);
    AnswerWithDisk(3);
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    ExpectExtracted();
    EXPECT_EQ(PromptTexts(),
              (std::vector<std::string>{kInsertLast, InsertDisk(1), InsertDisk(2), InsertDisk(3)}));
    for (const archive::PromptView& v : prompts_.Records()) {
        EXPECT_EQ(v.Caption, "Mensaje de Sistema");
        EXPECT_EQ(v.Value, "A:");
    }
}

INSTANTIATE_TEST_SUITE_P(Drives, DisksInTurn,
                         ::testing::Values(Marked::ByOverride, Marked::ByEnvironment),
                         [](const ::testing::TestParamInfo<Marked>& row) {
                             return std::string(row.param == Marked::ByOverride ? "Override"
                                                                                : "Environment");
                         });

TEST_F(RemovableSegments, WrongDisksAndDrivesAreAskedForAgainWithoutAWarning) {
    MarkRemovable(Marked::ByOverride);
    TExtractor x;
    Prepare(x, "A:\\DISK.ARC");
    AnswerWithDisk(2);      // not the last disk
    AnswerWithDisk(1, "Z"); // no drive text: A: stays; the first disk again
    AnswerWithDisk(3);
    x.Open();
    AnswerWithDisk(1, "B:"); // a drive that is not there
    AnswerWithDisk(1);       // the prompt now offers B:; A: is typed again
    AnswerWithDisk(3);       // the third disk when the second is asked for
    AnswerWithDisk(2);
    AnswerWithDisk(3);
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    ExpectExtracted();
    EXPECT_EQ(PromptTexts(), (std::vector<std::string>{kInsertLast, kInsertLast, kInsertLast,
                                                       InsertDisk(1), InsertDisk(1), InsertDisk(2),
                                                       InsertDisk(2), InsertDisk(3)}));
    EXPECT_EQ(prompts_.Records()[4].Value, "B:");
}

TEST_F(RemovableSegments, LastDiskIsFoundByItsNumberedName) {
    // The last disk holds DISK.002 and other files starting with the base name; the headers
    // decide, whatever the extension.
    MarkRemovable(Marked::ByOverride);
    fs::create_directories(Disk(3) + "/DISK.DIR");
    WriteFileBytes("C:\\work\\note.txt", Compressible(40));
    fs::rename(*platform::HostPath("C:\\work\\note.txt"), Disk(3) + "/DISKETTE.TXT");
    TExtractor x;
    Prepare(x, "A:\\DISK.ARC");
    AnswerWithDisk(3);
    x.Open();
    EXPECT_EQ(x.Header().Segment, 3);
    EXPECT_EQ(x.FileName(), "A:\\DISK.002");
    EXPECT_EQ(PromptTexts(), std::vector<std::string>{kInsertLast});
}

TEST_F(RemovableSegments, CancelledDiskPromptEndsSilently) {
    MarkRemovable(Marked::ByOverride);
    TExtractor x;
    Prepare(x, "A:\\DISK.ARC");
    prompts_.QueueText(std::nullopt);
    EXPECT_THROW(x.Open(), archive::EAbort);
    EXPECT_FALSE(x.IsOpen());
}

// A segment that is not the last one, offered where the last one was asked for.
struct NotTheLastCase {
    const char* name;
    bool removable;
    std::vector<std::string> prompts;
};

class NotTheLast : public RemovableSegments,
                   public ::testing::WithParamInterface<NotTheLastCase> {};

TEST_P(NotTheLast, IsWarnedAboutOnlyByTheLocatePrompt) {
    if (GetParam().removable) {
        MarkRemovable(Marked::ByOverride);
        AnswerWithDisk(2);
        AnswerWithDisk(3);
    } else {
        // A fixed drive: the locate prompt names files, and a wrong one gets the warning.
        prompts_.QueueText("A:\\DISK.ARC");
        prompts_.QueueResult(archive::MessageResult::idOK);
        prompts_.QueueText("A:\\DISK.002", [this] { Insert(3); });
    }
    TExtractor x;
    Prepare(x, "A:\\DISK.ARC");
    x.Open();
    EXPECT_EQ(x.Header().Segment, 3);
    EXPECT_EQ(PromptTexts(), GetParam().prompts);
    for (const archive::PromptView& v : prompts_.Records()) {
        if (v.Lines.at(0) == kWrongLast) {
            EXPECT_EQ(v.Caption, "Advertencia");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Drives, NotTheLast,
    ::testing::Values(NotTheLastCase{"Removable", true, {kInsertLast, kInsertLast}},
                      NotTheLastCase{"Fixed",
                                     false,
                                     {"Localiza el ultimo segmento del archivo DISK", kWrongLast,
                                      "Localiza el ultimo segmento del archivo DISK"}}),
    [](const ::testing::TestParamInfo<NotTheLastCase>& row) {
        return std::string(row.param.name);
    });

} // namespace
} // namespace vexo::extract::testing

#endif // _WIN32
