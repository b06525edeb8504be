// EncryptedArchiveTest.cpp - archives whose entries the builder's writer encrypted, read back
// by the extractor: round trips, wrong and cancelled keys, and the key kept between operations.
#include "ExtractorFixture.h"

#include "archive/Exceptions.h"
#include "archive/SegmentedArchiveWriter.h"
#include "extract/BlowFish.h"
#include "extract/EncryptedBlock.h"
#include "extract/PayloadEncryptor.h"

#include <algorithm>

namespace vexo::extract::testing {
namespace {

const std::string kKey = "clave secreta";
const std::string kBadKey = "El archivo no podra desencriptarse. Introdujo una clave invalida";

class EncryptedArchive : public ExtractorFixture {
  protected:
    std::string BuildEncrypted(const std::vector<SourceFile>& files, std::int32_t blockSize = 65536,
                               bool keepKey = false, bool store = false) {
        const std::string name = "C:\\work\\enc.arc";
        auto out = platform::OpenFile(name, platform::OpenMode::Create);
        archive::ArchiveWriterOptions o;
        o.BlockSize = blockSize;
        o.Store = store;
        o.KeepKey = keepKey;
        o.Encrypt = MakePayloadEncryptor(kKey);
        archive::ArchiveWriter w(*out, o);
        for (const auto& f : files)
            w.AddFile(f.name, f.date, f.attributes, 'R', f.data);
        w.Finish();
        return name;
    }

    /// Answers every key request with `key`, counting them.
    void AnswerKey(TExtractor& x, const std::string& key) {
        x.OnRequestCryptKey = [this, key](archive::TArchiverRoot&, std::string& k) {
            ++asked_;
            k = key;
        };
    }

    int asked_ = 0;
};

struct RoundTrip {
    const char* name;
    Bytes data;
    std::int32_t blockSize;
    bool store;
};

class EncryptedRoundTrip : public EncryptedArchive,
                           public ::testing::WithParamInterface<RoundTrip> {};

TEST_P(EncryptedRoundTrip, TheExtractorGivesBackWhatTheWriterEncrypted) {
    const RoundTrip& p = GetParam();
    std::string arc = BuildEncrypted({{"f.bin", p.data}}, p.blockSize, false, p.store);

    auto s = platform::OpenFile(arc, platform::OpenMode::Read);
    archive::TArchiveHeader h;
    ASSERT_TRUE(archive::ReadHeader(*s, h));
    archive::TFileEntry e;
    archive::ReadFileEntry(*s, e);
    EXPECT_NE(e.Flags & archive::kEntryEncrypted, 0);
    s.reset();
    // No run of the plain bytes shows in the archive.
    if (p.data.size() >= 16) {
        Bytes all = ReadFileBytes(arc);
        EXPECT_EQ(std::search(all.begin(), all.end(), p.data.begin(), p.data.begin() + 16),
                  all.end());
    }

    TExtractor x;
    Prepare(x, arc);
    AnswerKey(x, kKey);
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    EXPECT_EQ(ReadFileBytes(Out("f.bin")), p.data);
    EXPECT_EQ(asked_, p.data.empty() ? 0 : 1); // an empty file has no block to decrypt
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, EncryptedRoundTrip,
    ::testing::Values(RoundTrip{"Compressed", Compressible(3000), 65536, false},
                      RoundTrip{"StoredRandom", RandomBytes(70000, 3), 65536, false},
                      // Whole stored blocks: the payload grows by the pad-count byte beyond
                      // the block size and must still fit the extractor's buffer.
                      RoundTrip{"FullStoredBlocks", RandomBytes(4096, 5), 1024, true},
                      RoundTrip{"ManyCompressedBlocks", Compressible(10000), 1024, false},
                      RoundTrip{"OneByte", Bytes{0x41}, 65536, false},
                      RoundTrip{"Empty", Bytes{}, 65536, false}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(EncryptedArchive, SegmentedArchivesAreEncryptedInEveryPiece) {
    const Bytes big = RandomBytes(5000, 9);
    archive::ArchiveWriterOptions o;
    o.BlockSize = 1024;
    o.Encrypt = MakePayloadEncryptor(kKey);
    {
        archive::SegmentedArchiveWriter w("C:\\work\\parts.arc", o, 2500);
        w.AddFile("big.bin", EntryDate(), 0x20, 'R', big);
        w.Finish();
        ASSERT_GE(w.SegmentNames().size(), 3u);
    }
    TExtractor x;
    Prepare(x, "C:\\work\\parts.arc");
    AnswerKey(x, kKey);
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    EXPECT_EQ(ReadFileBytes(Out("big.bin")), big);
    EXPECT_EQ(asked_, 1);
}

TEST_F(EncryptedArchive, AWrongKeyFailsEveryEntryAndIsAskedOnce) {
    std::string arc = BuildEncrypted({{"a.txt", Compressible(100)},
                                      {"b.bin", RandomBytes(3000, 1)},
                                      {"c.txt", Compressible(7000)}});
    // An empty answer is no key at all: it is asked again at the next encrypted entry.
    for (const auto& [wrong, asks] :
         {std::pair<std::string, int>{"otra clave", 1}, std::pair<std::string, int>{"", 3}}) {
        TExtractor x;
        Prepare(x, arc);
        x.SetErrorAction(archive::eaContinue);
        asked_ = 0;
        AnswerKey(x, wrong);
        std::vector<std::string> errors;
        x.OnError = [&](archive::TArchiverRoot&, const std::exception& e,
                        const archive::TFileEntry&,
                        archive::TErrorAction&) { errors.push_back(e.what()); };
        x.ExtractAll();
        EXPECT_EQ(asked_, asks) << wrong;
        EXPECT_EQ(errors, (std::vector<std::string>{kBadKey, kBadKey, kBadKey})) << wrong;
        EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    }
}

TEST_F(EncryptedArchive, CancellingTheKeyPromptEndsTheExtractionSilently) {
    std::string arc = BuildEncrypted({{"a.txt", Compressible(100)}, {"b.txt", Compressible(50)}});
    TExtractor x;
    Prepare(x, arc);
    int finished = 0, errors = 0;
    x.OnFinishOperation = [&](archive::TArchiverRoot&) { ++finished; };
    x.OnError = [&](archive::TArchiverRoot&, const std::exception&, const archive::TFileEntry&,
                    archive::TErrorAction&) { ++errors; };
    prompts_.QueueText(std::nullopt);
    EXPECT_THROW(x.ExtractAll(), archive::EAbort);
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(prompts_.Records().size(), 1u); // the key prompt only: no message follows
    EXPECT_FALSE(platform::FileExists(Out("b.txt")));
}

struct KeepKeyCase {
    const char* name;
    bool keepKey;
    int askedAfterTwoRuns;
};

class EncryptedKeepKey : public EncryptedArchive,
                         public ::testing::WithParamInterface<KeepKeyCase> {};

TEST_P(EncryptedKeepKey, TheHeaderFlagDecidesWhetherTheNextOperationAsksAgain) {
    const KeepKeyCase& c = GetParam();
    std::string arc = BuildEncrypted({{"a.txt", Compressible(100)}}, 65536, c.keepKey);
    TExtractor x;
    Prepare(x, arc);
    AnswerKey(x, kKey);
    x.Open();
    EXPECT_EQ((x.Header().Flags & archive::kHeaderKeepKey) != 0, c.keepKey);
    x.ExtractAll();
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    EXPECT_EQ(asked_, c.askedAfterTwoRuns);
    EXPECT_EQ(ReadFileBytes(Out("a.txt")), Compressible(100));
}

INSTANTIATE_TEST_SUITE_P(Flag, EncryptedKeepKey,
                         ::testing::Values(KeepKeyCase{"Kept", true, 1},
                                           KeepKeyCase{"AskedAgain", false, 2}),
                         [](const auto& row) { return std::string(row.param.name); });

struct KeyLength {
    std::size_t length;
    bool effective;
};

class EncryptorKeyLength : public ::testing::TestWithParam<KeyLength> {};

TEST_P(EncryptorKeyLength, KeysTheCipherWouldIgnoreAreRefused) {
    const std::string key(GetParam().length, 'k');
    EXPECT_EQ(IsEffectiveCipherKey(key), GetParam().effective);
    if (GetParam().effective) {
        auto encrypt = MakePayloadEncryptor(key);
        const Bytes plain(20, 0x33);
        const Bytes payload = encrypt(plain);
        EXPECT_EQ(payload.size(), 25u); // three blocks, then the pad count
        EXPECT_EQ(payload.back(), 4);
    } else {
        EXPECT_THROW(MakePayloadEncryptor(key), std::invalid_argument);
    }
}

INSTANTIATE_TEST_SUITE_P(Lengths, EncryptorKeyLength,
                         ::testing::Values(KeyLength{0, false}, KeyLength{7, false},
                                           KeyLength{8, true}, KeyLength{65, true},
                                           KeyLength{66, false}));

TEST(PayloadEncryptor, DifferentKeysGiveDifferentPayloadsAndNoneEqualsNoKey) {
    const Bytes plain = Compressible(64);
    const Bytes a = MakePayloadEncryptor("12345678")(plain);
    const Bytes b = MakePayloadEncryptor("12345679")(plain);
    EXPECT_NE(a, b);
    TBlowFish unkeyed;
    EXPECT_NE(a, EncodeEncryptedPayload(unkeyed, "", plain));
}

} // namespace
} // namespace vexo::extract::testing
