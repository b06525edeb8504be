// WriterLimitsTest.cpp - the writers keep to what the readers open: block sizes, stored names,
// the smallest segment; and a header placed outside its file is refused with a text saying so.
#include "archive/ArchiveReader.h"
#include "archive/ArchiveWriter.h"
#include "archive/Exceptions.h"
#include "archive/Messages.h"
#include "platform/Encoding.h"

#include <gtest/gtest.h>

namespace vexo::archive {
namespace {

struct BlockSizeCase {
    std::int32_t blockSize;
    bool written;
};

TEST(WriterLimits, BlockSizesAreTheOnesTheReaderOpens) {
    const BlockSizeCase cases[] = {
        {kMinWriterBlockSize - 1, false}, {kMinWriterBlockSize, true}, {kMaxHeaderBlockSize, true},
        {kMaxHeaderBlockSize + 1, false}, {0x7FFFFFFF, false},         {-1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.blockSize);
        platform::MemoryStream out;
        ArchiveWriterOptions options;
        options.BlockSize = c.blockSize;
        if (!c.written) {
            EXPECT_THROW(ArchiveWriter(out, options), EArchiver);
            continue;
        }
        ArchiveWriter writer(out, options);
        writer.AddFile("a.txt", 0, 0x20, 'R', std::vector<std::uint8_t>(3000, 'a'));
        writer.Finish();
        // What was written opens with the reader's own checks.
        TMessages messages;
        const TArchiveHeader header = ReadCheckedHeader(out, 0, "P.VXA", messages);
        EXPECT_EQ(header.BlockSize, c.blockSize);
        EXPECT_EQ(ReadSegmentEntries(out, 0, header).size(), 1u);
    }
}

TEST(WriterLimits, TheRefusalNamesTheRange) {
    platform::MemoryStream out;
    ArchiveWriterOptions options;
    options.BlockSize = kMaxHeaderBlockSize + 1;
    try {
        ArchiveWriter writer(out, options);
        FAIL() << "no exception";
    } catch (const EArchiver& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Block size 67108865 outside 1024 to 67108864 bytes, the sizes readers open");
    }
}

struct NameCase {
    const char* what;
    std::string name;
    const char* refusal; // start of the text; nullptr: taken
};

TEST(WriterLimits, StoredNamesAHostCanCreate) {
    std::string deep;
    for (int i = 0; i < 2047; ++i)
        deep += "d\\";
    const NameCase cases[] = {
        {"longest part", std::string(255, 'n'), nullptr},
        {"part one too long", "dir\\" + std::string(256, 'n'), "Stored name with a part of 256"},
        {"longest name", deep + "a", nullptr},
        {"name one too long", deep + "ab", "Stored name of 4096 bytes"},
        {"empty name", "", "Empty stored name"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        platform::MemoryStream out;
        ArchiveWriter writer(out, ArchiveWriterOptions{});
        if (c.refusal == nullptr) {
            EXPECT_NO_THROW(writer.AddFile(c.name, 0, 0x20, 'R', std::vector<std::uint8_t>{1}));
            EXPECT_NO_THROW(writer.AddFolder(c.name, 0, 0x10, 'R'));
            continue;
        }
        for (bool folder : {false, true}) {
            try {
                if (folder)
                    writer.AddFolder(c.name, 0, 0x10, 'R');
                else
                    writer.AddFile(c.name, 0, 0x20, 'R', std::vector<std::uint8_t>{1});
                ADD_FAILURE() << "taken";
            } catch (const EArchiver& e) {
                EXPECT_EQ(std::string(e.what()).rfind(c.refusal, 0), 0u) << e.what();
            }
        }
    }
}

TEST(WriterLimits, SmallestSegmentCountsTheComment) {
    EXPECT_EQ(SmallestSegment(""), 381);
    EXPECT_EQ(SmallestSegment("twelve bytes"), 393);
}

TEST(CheckedHeader, AStartOutsideTheFileSaysSo) {
    platform::MemoryStream s(std::vector<std::uint8_t>(400, 0));
    TMessages m;
    for (std::int64_t start : {std::int64_t{401}, std::int64_t{-1}}) {
        try {
            ReadCheckedHeader(s, start, "C:\\INST\\ZPX10.EXE", m);
            ADD_FAILURE() << "no exception";
        } catch (const EArchiver& e) {
            EXPECT_EQ(std::string(e.what()),
                      W1252("El archivo comprimido empieza en " + std::to_string(start) +
                            ", fuera del archivo \"C:\\INST\\ZPX10.EXE\" de 400 bytes"));
        }
    }
}

} // namespace
} // namespace vexo::archive
