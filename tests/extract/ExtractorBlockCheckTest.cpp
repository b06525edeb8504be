// ExtractorBlockCheckTest.cpp - the whole-archive block check, alone and before an extraction.
#include "ExtractorFixture.h"

#include "archive/Exceptions.h"
#include "extract/BlowFish.h"
#include "extract/EncryptedBlock.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <thread>

namespace vexo::extract::testing {
namespace {

const std::string kBadCRC = "CRC incorrecto: los datos dentro del archivo estan corrompidos";
const std::string kBadKey = "El archivo no podra desencriptarse. Introdujo una clave invalida";
const std::string kKey = "clave secreta";

RawEntry Plain(const std::string& name, const Bytes& data, bool damage = false) {
    RawEntry r;
    r.entry.Name = name;
    r.entry.Date = EntryDate();
    r.entry.Attributes = 0x20;
    r.entry.FileSize = static_cast<std::int32_t>(data.size());
    r.blocks = MakeBlock(ZlibStream(data), false);
    if (damage) r.blocks[r.blocks.size() - 3] ^= 0x10;
    return r;
}

// A block whose checksum is right but whose payload does not inflate: only decoding finds it.
RawEntry DoesNotInflate(const std::string& name) {
    RawEntry r = Plain(name, Compressible(10));
    r.blocks = MakeBlock(RandomBytes(64, 2), false);
    return r;
}

RawEntry Encrypted(const std::string& name, const Bytes& data) {
    TBlowFish cipher;
    Bytes plain = ZlibStream(data);
    RawEntry r = Plain(name, data);
    r.entry.Flags = archive::kEntryEncrypted;
    r.blocks = MakeBlock(EncodeEncryptedPayload(cipher, kKey, plain), false, &plain);
    return r;
}

// The key held before the check starts, as after an earlier prompt of a kept-key archive.
class KeyedExtractor : public TExtractor {
  public:
    void HoldKey(const std::string& key) { key_ = key; }
};

struct CheckCase {
    const char* name;
    std::function<std::vector<RawEntry>()> entries;
    std::string heldKey;
    std::string failingEntry; // empty: the check passes
    std::string text;
};

class VerifyBlocks : public ExtractorFixture, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(VerifyBlocks, FindsTheFirstDamagedEntryAndWritesNothing) {
    const CheckCase& c = GetParam();
    std::string arc = BuildRaw(c.entries(), 1024);
    KeyedExtractor x;
    Prepare(x, arc);
    x.HoldKey(c.heldKey);
    int keyPrompts = 0;
    x.OnRequestCryptKey = [&](archive::TArchiverRoot&, std::string&) { ++keyPrompts; };
    std::optional<BlockCheckFailure> failure = x.VerifyArchiveBlocks();
    EXPECT_EQ(keyPrompts, 0);
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    if (c.failingEntry.empty()) {
        EXPECT_FALSE(failure.has_value()) << failure->entry.Name << ": " << failure->message;
    } else {
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(failure->entry.Name, c.failingEntry);
        EXPECT_EQ(failure->message, c.text);
        EXPECT_EQ(failure->badKey, c.text == kBadKey);
    }
    EXPECT_TRUE(platform::FindFiles(std::string(kOut) + "\\*.txt").empty());
}

INSTANTIATE_TEST_SUITE_P(
    Archives, VerifyBlocks,
    ::testing::Values(
        CheckCase{"Sound",
                  [] {
                      return std::vector<RawEntry>{Plain("a.txt", Compressible(3000)),
                                                   Plain("b.txt", RandomBytes(500, 1))};
                  },
                  "", "", ""},
        CheckCase{"SecondEntryDamaged",
                  [] {
                      return std::vector<RawEntry>{Plain("a.txt", Compressible(3000)),
                                                   Plain("b.txt", Compressible(900), true),
                                                   Plain("c.txt", Compressible(900), true)};
                  },
                  "", "b.txt", kBadCRC},
        CheckCase{"NoDecompression", [] { return std::vector<RawEntry>{DoesNotInflate("z.txt")}; },
                  "", "", ""},
        CheckCase{"EncryptedWithoutKeyIsLeftToExtraction",
                  [] {
                      RawEntry e = Encrypted("s.txt", Compressible(700));
                      e.blocks[10] ^= 0x01;
                      return std::vector<RawEntry>{e, Plain("a.txt", Compressible(50))};
                  },
                  "", "", ""},
        CheckCase{"EncryptedWithTheKey",
                  [] { return std::vector<RawEntry>{Encrypted("s.txt", Compressible(700))}; }, kKey,
                  "", ""},
        CheckCase{"EncryptedWithAWrongKey",
                  [] { return std::vector<RawEntry>{Encrypted("s.txt", Compressible(700))}; },
                  "otra clave", "s.txt", kBadKey},
        CheckCase{"BlockLongerThanItsPiece",
                  [] {
                      RawEntry e = Plain("long.txt", Compressible(100));
                      archive::PutInt32At(e.blocks.data(), 5000);
                      return std::vector<RawEntry>{e};
                  },
                  "", "long.txt", kBadCRC}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(ExtractorFixture, ADamagedPackageIsRefusedBeforeTheFirstFile) {
    std::string arc =
        BuildRaw({Plain("a.txt", Compressible(3000)), Plain("b.txt", Compressible(50)),
                  Plain("c.txt", Compressible(900), true)});
    TExtractor x;
    Prepare(x, arc);
    x.SetVerifyBeforeExtract(true);
    int finished = 0;
    x.OnFinishOperation = [&](archive::TArchiverRoot&) { ++finished; };
    try {
        x.ExtractAll();
        FAIL() << "the damaged package was extracted";
    } catch (const archive::EArchiverBadCRC& e) {
        EXPECT_EQ(std::string(e.what()), kBadCRC + "\r\n\r\nc.txt");
    }
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::RunningOrFailed);
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(platform::FileExists(Out("a.txt")));
    EXPECT_FALSE(platform::FileExists(Out("b.txt")));
}

TEST_F(ExtractorFixture, ASoundPackageIsCheckedThenExtractedWhole) {
    const Bytes a = Compressible(200000), b = RandomBytes(70000, 3);
    std::string arc = Build({{"a.txt", a}, {"dir\\b.txt", b}, {"empty.txt", {}}});
    TExtractor x;
    Prepare(x, arc);
    x.SetOptions(x.Options() | archive::OptionBit(archive::oRestorePath));
    x.SetVerifyBeforeExtract(true);
    std::vector<int> percents;
    x.OnFileProgress = [&](archive::TArchiverRoot&, int p) { percents.push_back(p); };
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    EXPECT_EQ(ReadFileBytes(Out("a.txt")), a);
    EXPECT_EQ(ReadFileBytes(Out("dir\\b.txt")), b);
    EXPECT_TRUE(ReadFileBytes(Out("empty.txt")).empty());
    // The check reports no progress of its own: the bar runs once, upwards, to 100.
    ASSERT_FALSE(percents.empty());
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(percents.back(), 100);
    EXPECT_EQ(x.FilesProcessed(), 3);
}

// The extraction takes no checksum again of a block that reads back as the check saw it; one
// changed on the disk in between is refused as without the check, never written as it reads.
TEST_F(ExtractorFixture, ABlockChangedAfterTheCheckIsStillRefused) {
    std::vector<RawEntry> entries;
    std::vector<Bytes> data;
    for (int i = 0; i < 40; ++i) {
        data.push_back(RandomBytes(700, i));
        // Stored blocks: a changed byte decodes as well as the right one.
        entries.push_back(StoredEntry("f" + std::to_string(i) + ".txt", data.back()));
    }
    const std::string arc = BuildRaw(entries, 1024);
    TExtractor x;
    Prepare(x, arc);
    x.SetVerifyBeforeExtract(true);
    x.SetErrorAction(archive::eaAbort);
    bool changed = false;
    x.OnExtractFile = [&](archive::TArchiverRoot&, const archive::TFileEntry& entry, std::string&,
                          bool&) {
        // The later entries leave the second thread time to read their blocks itself, with
        // the last one changed; when the first comes, at most a few slots' worth are read.
        if (entry.Name != "f0.txt") {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return;
        }
        std::fstream f(prefix_.Host("drive_c/work/raw.arc"),
                       std::ios::binary | std::ios::in | std::ios::out);
        f.seekg(-10, std::ios::end);
        const int c = f.get();
        f.seekp(-10, std::ios::end);
        f.put(static_cast<char>(c ^ 0x10));
        changed = static_cast<bool>(f.flush());
    };
    bool refused = false;
    try {
        x.ExtractAll();
    } catch (const archive::EArchiverBadCRC&) {
        refused = true;
    }
    // Windows keeps writers out of a file opened to be read without sharing writes.
    if (!changed) GTEST_SKIP() << "the archive cannot be written while it is read";
    EXPECT_TRUE(refused);
    for (int i = 0; i < 39; ++i)
        EXPECT_EQ(ReadFileBytes(Out("f" + std::to_string(i) + ".txt")), data[i]) << i;
    EXPECT_FALSE(platform::FileExists(Out("f39.txt")));
}

} // namespace
} // namespace vexo::extract::testing
