// CorruptionTest.cpp - a sample installer damaged every way a download or a disk damages it:
// cut at every offset of its header, of its first entry records and of its first block, and
// bit flips at a seeded sample of offsets. Every run of the tool over it must end with a text
// of the message set (or the stream's read error) and a non-zero exit, within a few seconds and
// a bounded amount of memory, never by a signal.
#include "archive/Format.h"
#include "archive/Messages.h"
#include "archive/StreamIO.h"
#include "common/HostEnv.h"
#include "common/ProcessHelpers.h"
#include "common/TempDirectory.h"
#include "platform/Encoding.h"
#include "platform/Stream.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace vexo::tool::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::ProgramResult;

constexpr auto kTimeLimit = std::chrono::seconds(5);
constexpr long kMemoryLimitKib = 256 * 1024;
constexpr unsigned kFlipSeed = 20090122;
constexpr int kFlipCount = 160;
// Under Wine each program start costs about a third of a second, against a hundredth on
// Linux: the Windows build checks every kStep-th case of each family (and always its last),
// which keeps the suite to a few minutes; Linux checks every case.
constexpr std::size_t kStep = test::kWindowsHost ? 7 : 1;

/// Whether case `i` of a family of `count` is checked on this host.
bool Sampled(std::size_t i, std::size_t count) {
    return i % kStep == 0 || i + 1 == count;
}

void WriteBytes(const fs::path& p, const Bytes& b) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

void WriteText(const fs::path& p, const std::string& s) {
    WriteBytes(p, Bytes(s.begin(), s.end()));
}

/// What the sample installer is made of, as offsets in the file.
struct Layout {
    Bytes file;
    std::int64_t start = 0;       // archive start
    std::int64_t firstEntry = 0;  // first entry record
    std::int64_t firstBlock = 0;  // first block of the first entry
    std::int64_t blockEnd = 0;    // end of that block
    std::int64_t secondEntry = 0; // second entry record
    std::int64_t secondData = 0;  // end of that record
    std::int64_t archiveEnd = 0;  // start + EndOffset (the locator follows)
};

/// The texts a run may end with: every text of the extractor's message set (up to its first
/// format field) and the stream's read error; the short button words are left out, they would
/// match anything.
std::vector<std::string> AllowedTexts() {
    archive::TExtrMessages messages;
    std::vector<std::string> texts{platform::EReadError().what()};
    for (const auto& [key, text] : messages.Texts()) {
        std::string utf8 = platform::Cp1252ToUtf8(text->substr(0, text->find('%')));
        while (!utf8.empty() && (utf8.back() == ' ' || utf8.back() == '"'))
            utf8.pop_back();
        if (utf8.size() >= 12) texts.push_back(utf8);
    }
    // A header block size no buffer can be sized from is refused with its own text.
    texts.push_back("Tamaño de bloque");
    return texts;
}

class CorruptionSuite : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        temp_ = std::make_unique<test::TempDirectory>("vexo-corruption");
        dir_ = temp_->Path();
        layout_ = BuildSample();
        texts_ = AllowedTexts();
    }
    static void TearDownTestSuite() { temp_.reset(); }

    static ProgramResult Run(const std::vector<std::string>& argv,
                             std::chrono::milliseconds limit) {
        test::ProgramOptions options;
        options.limit = limit;
        return test::RunProgram(argv, options);
    }

    // Package: a compressible file cut into several blocks first, then small files, a name
    // outside ASCII and an empty folder; behind a program image and a tag block.
    static Layout BuildSample() {
        const fs::path src = dir_ / "src";
        std::string big;
        for (int i = 0; big.size() < 10000; ++i)
            big += "Cuenta " + std::to_string(i % 4) + ";Saldo;0\r\n";
        WriteText(src / "ADMON.TAB", big);
        WriteText(src / "EJEMPLO.INI", "[DALVO]\r\nDatos=C:\\VEXO\\DALVO\\Datos\\\r\n");
        WriteText(src / "ANO.TXT", "Ejercicio 2009\r\n");
        fs::create_directories(src / "VACIA");
        WriteText(src / "MANIFEST", "R 115_300-09\\ADMON.TAB => ADMON.TAB\n"
                                    "D DATOS\\EJEMPLO.INI => EJEMPLO.INI\n"
                                    "N DATOS\\AÑO.TXT => ANO.TXT\n"
                                    "R VACIA\\ => VACIA\n");
        Bytes stub(2048, 0);
        stub[0] = 'M';
        stub[1] = 'Z';
        WriteBytes(dir_ / "stub.exe", stub);
        const fs::path installer = dir_ / "ZPX10.EXE";
        ProgramResult b = Run({VEXO_ARCHIVE_TOOL, "build", "--out", installer.string(), "--stub",
                               (dir_ / "stub.exe").string(), "--tag-size", "477", "--block-size",
                               "4096", "--manifest", (src / "MANIFEST").string(),
                               "--package-version", "10.05", "--package-date", "2009-02-12"},
                              std::chrono::seconds(60));
        EXPECT_TRUE(b.exited && b.status == 0) << b.err;

        Layout l;
        std::ifstream in(installer, std::ios::binary);
        l.file.assign(std::istreambuf_iterator<char>(in), {});
        platform::MemoryStream s(l.file);
        l.start = archive::FindArchiveStart(s);
        s.SetPosition(l.start);
        archive::TArchiveHeader h;
        EXPECT_TRUE(archive::ReadHeader(s, h));
        l.firstEntry = l.start + archive::HeaderSize(h);
        s.SetPosition(l.firstEntry);
        archive::TFileEntry first;
        archive::ReadFileEntry(s, first);
        l.firstBlock = s.Position();
        std::uint8_t head[4];
        s.ReadBuffer(head, 4);
        l.blockEnd = l.firstBlock + 8 + std::abs(archive::GetInt32At(head));
        l.secondEntry = l.firstBlock + first.PieceStoredSize;
        s.SetPosition(l.secondEntry);
        archive::TFileEntry second;
        archive::ReadFileEntry(s, second);
        l.secondData = s.Position();
        l.archiveEnd = l.start + h.EndOffset;
        // The sample is what the suite means to damage: several compressed blocks up front.
        EXPECT_GT(first.PieceStoredSize, l.blockEnd - l.firstBlock);
        EXPECT_GE(archive::GetInt32At(head), 0);
        EXPECT_EQ(l.archiveEnd + 8, static_cast<std::int64_t>(l.file.size()));
        return l;
    }

    /// The sample with the archive cut at `offset`; the locator trailer stays, as when the
    /// damage is inside the file rather than at its end.
    static Bytes CutKeepingLocator(std::int64_t offset) {
        Bytes b(layout_.file.begin(), layout_.file.begin() + offset);
        b.insert(b.end(), layout_.file.end() - 8, layout_.file.end());
        return b;
    }

    /// Runs list, test and extract over `damaged`; returns the problems found.
    static std::vector<std::string> Check(const Bytes& damaged, const std::string& what,
                                          bool mustFail) {
        const fs::path caseDir = dir_ / "case";
        fs::remove_all(caseDir);
        fs::create_directories(caseDir);
        const fs::path file = caseDir / "ZPX10.EXE";
        WriteBytes(file, damaged);
        const std::vector<std::vector<std::string>> runs = {
            {VEXO_ARCHIVE_TOOL, "list", file.string()},
            {VEXO_ARCHIVE_TOOL, "test", file.string()},
            {VEXO_ARCHIVE_TOOL, "extract", file.string(), "-o", (caseDir / "out").string(),
             "--restore", "overwrite", "--on-error", "continue"},
        };
        std::vector<std::string> problems;
        for (const auto& argv : runs) {
            const ProgramResult r = Run(argv, kTimeLimit);
            std::ostringstream p;
            if (!r.started)
                p << "did not start";
            else if (r.timedOut)
                p << "took more than " << kTimeLimit.count() << " s";
            else if (!r.exited)
                p << "ended by signal " << r.signal;
            else if (mustFail && r.status == 0)
                p << "exit 0";
            else if (r.status != 0 && !EndsWithAllowedText(r))
                p << "exit " << r.status << " without a message-set text: " << r.err << r.out;
            if (r.peakKib > kMemoryLimitKib) p << " peak memory " << r.peakKib << " KiB";
            if (!p.str().empty()) problems.push_back(what + ", " + argv[1] + ": " + p.str());
        }
        return problems;
    }

    static bool EndsWithAllowedText(const ProgramResult& r) {
        const std::string all = r.out + r.err;
        return std::any_of(texts_.begin(), texts_.end(),
                           [&](const std::string& t) { return all.find(t) != std::string::npos; });
    }

    static void Report(const std::vector<std::string>& problems, std::size_t cases) {
        std::string shown;
        for (std::size_t i = 0; i < problems.size() && i < 15; ++i)
            shown += "  " + problems[i] + "\n";
        EXPECT_TRUE(problems.empty())
            << problems.size() << " problems in " << cases << " damaged files, among them:\n"
            << shown;
    }

    static std::unique_ptr<test::TempDirectory> temp_;
    static fs::path dir_;
    static Layout layout_;
    static std::vector<std::string> texts_;
};

std::unique_ptr<test::TempDirectory> CorruptionSuite::temp_;
fs::path CorruptionSuite::dir_;
Layout CorruptionSuite::layout_;
std::vector<std::string> CorruptionSuite::texts_;

TEST_F(CorruptionSuite, TheSampleItselfPassesEveryRun) {
    EXPECT_TRUE(Check(layout_.file, "intact", false).empty());
    // And a run that must fail is told apart: the intact file exits 0.
    EXPECT_FALSE(Check(layout_.file, "intact", true).empty());
}

TEST_F(CorruptionSuite, CutInsideTheHeader) {
    std::vector<std::string> problems;
    std::size_t cases = 0;
    const auto count = static_cast<std::size_t>(layout_.firstEntry - layout_.start);
    for (std::int64_t at = layout_.start; at < layout_.firstEntry; ++at) {
        if (!Sampled(static_cast<std::size_t>(at - layout_.start), count)) continue;
        ++cases;
        auto p = Check(CutKeepingLocator(at), "cut at " + std::to_string(at - layout_.start), true);
        problems.insert(problems.end(), p.begin(), p.end());
    }
    Report(problems, cases);
}

TEST_F(CorruptionSuite, CutInsideTheFirstEntryRecordsAndTheFirstBlock) {
    std::vector<std::int64_t> offsets;
    for (std::int64_t at = layout_.firstEntry; at < layout_.blockEnd; ++at)
        offsets.push_back(at);
    for (std::int64_t at = layout_.secondEntry; at < layout_.secondData; ++at)
        offsets.push_back(at);
    std::vector<std::string> problems;
    std::size_t cases = 0;
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        if (!Sampled(i, offsets.size())) continue;
        ++cases;
        const std::int64_t at = offsets[i];
        auto p = Check(CutKeepingLocator(at), "cut at " + std::to_string(at - layout_.start), true);
        problems.insert(problems.end(), p.begin(), p.end());
    }
    Report(problems, cases);
}

TEST_F(CorruptionSuite, CutWithItsLocatorTrailer) {
    // A download cut short loses the trailer too: the archive is looked for at the start.
    std::vector<std::string> problems;
    std::size_t cases = 0;
    for (std::int64_t at = layout_.start; at < layout_.secondData; at += 17, ++cases) {
        Bytes b(layout_.file.begin(), layout_.file.begin() + at);
        auto p = Check(b, "plain cut at " + std::to_string(at - layout_.start), true);
        problems.insert(problems.end(), p.begin(), p.end());
    }
    Report(problems, cases);
}

TEST_F(CorruptionSuite, BlockSizeFlippedOutOfBounds) {
    // The header's block size (offset 64): the sign bit, and a bit that puts it above the
    // bound. Every run fails with the block-size text, none with a bad signature.
    std::vector<std::string> problems;
    for (const auto& [byte, bit] : {std::pair{3, 7}, std::pair{3, 2}}) {
        Bytes b = layout_.file;
        b[static_cast<std::size_t>(layout_.start + 64 + byte)] ^=
            static_cast<std::uint8_t>(1u << bit);
        auto p = Check(b, "block size bit " + std::to_string(byte * 8 + bit), true);
        problems.insert(problems.end(), p.begin(), p.end());
        fs::path file = dir_ / "case" / "ZPX10.EXE";
        const ProgramResult r = Run({VEXO_ARCHIVE_TOOL, "test", test::Utf8Path(file)}, kTimeLimit);
        EXPECT_NE(r.err.find("Tamaño de bloque"), std::string::npos) << r.err;
    }
    Report(problems, 2);
}

TEST_F(CorruptionSuite, SeededBitFlipsAnywhereInTheArchive) {
    std::mt19937 rng(kFlipSeed);
    std::uniform_int_distribution<std::int64_t> where(layout_.start, layout_.archiveEnd - 1);
    std::uniform_int_distribution<int> bit(0, 7);
    std::vector<std::string> problems;
    const int flips = kFlipCount / static_cast<int>(kStep);
    for (int i = 0; i < flips; ++i) {
        Bytes b = layout_.file;
        const std::int64_t at = where(rng);
        const int which = bit(rng);
        b[static_cast<std::size_t>(at)] ^= static_cast<std::uint8_t>(1u << which);
        // A flip may hit a field nothing checks (a date, an attribute): exit 0 is allowed then.
        auto p = Check(
            b, "bit " + std::to_string(which) + " of " + std::to_string(at - layout_.start), false);
        problems.insert(problems.end(), p.begin(), p.end());
    }
    Report(problems, static_cast<std::size_t>(flips));
}

TEST_F(CorruptionSuite, SeededBitFlipsInEveryBlockHeadAndPayloadByteOfTheFirstBlock) {
    // Every byte of the first block, each with one seeded bit flipped: its length, its
    // checksum and its zlib stream.
    std::mt19937 rng(kFlipSeed + 1);
    std::uniform_int_distribution<int> bit(0, 7);
    std::vector<std::string> problems;
    std::size_t cases = 0;
    const auto count = static_cast<std::size_t>(layout_.blockEnd - layout_.firstBlock);
    for (std::int64_t at = layout_.firstBlock; at < layout_.blockEnd; ++at) {
        const int which = bit(rng);
        if (!Sampled(static_cast<std::size_t>(at - layout_.firstBlock), count)) continue;
        ++cases;
        Bytes b = layout_.file;
        b[static_cast<std::size_t>(at)] ^= static_cast<std::uint8_t>(1u << which);
        auto p = Check(
            b, "bit " + std::to_string(which) + " of " + std::to_string(at - layout_.start), false);
        problems.insert(problems.end(), p.begin(), p.end());
    }
    Report(problems, cases);
}

} // namespace
} // namespace vexo::tool::testing
