// ExtractorCipherTest.cpp - encrypted entries through the extractor, and the test walk.
#include "ExtractorFixture.h"

#include "archive/Exceptions.h"
#include "extract/BlowFish.h"
#include "extract/EncryptedBlock.h"
#include "platform/Encoding.h"

namespace vexo::extract::testing {
namespace {

const std::string kKey = "clave secreta";

RawEntry Encrypted(const std::string& name, const Bytes& data) {
    TBlowFish cipher;
    Bytes plain = ZlibStream(data);
    Bytes payload = EncodeEncryptedPayload(cipher, kKey, plain);
    RawEntry r;
    r.entry.Name = name;
    r.entry.Date = EntryDate();
    r.entry.Attributes = 0x20;
    r.entry.FileSize = static_cast<std::int32_t>(data.size());
    r.entry.Flags = archive::kEntryEncrypted;
    r.blocks = MakeBlock(payload, false, &plain); // the checksum covers the plain payload
    return r;
}

TEST_F(ExtractorFixture, EncryptedEntryWithTheRightKey) {
    Bytes data = Compressible(3000);
    std::string arc = BuildRaw({Encrypted("secret.txt", data)});
    TExtractor x;
    Prepare(x, arc);
    int asked = 0;
    x.OnRequestCryptKey = [&](archive::TArchiverRoot&, std::string& key) {
        ++asked;
        key = kKey;
    };
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(ReadFileBytes(Out("secret.txt")), data);
}

TEST_F(ExtractorFixture, WrongKeyShowsAsBadKeyForEveryEncryptedEntry) {
    std::string arc =
        BuildRaw({Encrypted("a.txt", Compressible(100)), Encrypted("b.txt", Compressible(200))});
    TExtractor x;
    Prepare(x, arc);
    x.SetErrorAction(archive::eaContinue);
    int asked = 0;
    std::vector<std::string> errors;
    x.OnRequestCryptKey = [&](archive::TArchiverRoot&, std::string& key) {
        ++asked;
        key = "otra clave";
    };
    x.OnError = [&](archive::TArchiverRoot&, const std::exception& e, const archive::TFileEntry&,
                    archive::TErrorAction&) { errors.push_back(e.what()); };
    x.ExtractAll();
    EXPECT_EQ(asked, 1); // not asked again within the operation
    const std::string text = "El archivo no podra desencriptarse. Introdujo una clave invalida";
    EXPECT_EQ(errors, (std::vector<std::string>{text, text}));
}

TEST_F(ExtractorFixture, CancelledKeyPromptEndsSilently) {
    std::string arc = BuildRaw({Encrypted("a.txt", Compressible(100))});
    TExtractor x;
    Prepare(x, arc);
    prompts_.QueueText(std::nullopt);
    EXPECT_THROW(x.ExtractAll(), archive::EAbort);
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::RunningOrFailed);
    ASSERT_EQ(prompts_.Records().size(), 1u);
    EXPECT_EQ(prompts_.Records()[0].Kind, archive::PromptKind::PasswordQuery);
    EXPECT_EQ(prompts_.Records()[0].Lines.at(0), W1252("Clave de desencripción:"));
}

TEST_F(ExtractorFixture, TestWalkReportsFailingEntriesAndWritesNothing) {
    Bytes block = MakeBlock(ZlibStream(Compressible(4000)), false);
    block[30] ^= 0x04;
    RawEntry bad;
    bad.entry.Name = "bad.txt";
    bad.entry.Date = EntryDate();
    bad.entry.FileSize = 4000;
    bad.blocks = block;
    RawEntry good;
    good.entry.Name = "good.txt";
    good.entry.Date = EntryDate();
    good.entry.FileSize = 10;
    good.blocks = MakeBlock(ZlibStream(Compressible(10)), false);
    std::string arc = BuildRaw({bad, good});
    TExtractor x;
    x.SetFileName(arc);
    std::vector<std::string> failures;
    x.TestArchive([&](const archive::TFileEntry& e, const std::exception& error) {
        failures.push_back(e.Name + ": " + error.what());
    });
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    EXPECT_EQ(failures,
              (std::vector<std::string>{
                  "bad.txt: CRC incorrecto: los datos dentro del archivo estan corrompidos"}));
    EXPECT_FALSE(platform::FileExists(Out("good.txt")));
}

} // namespace
} // namespace vexo::extract::testing
