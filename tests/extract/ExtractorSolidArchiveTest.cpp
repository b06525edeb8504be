// ExtractorSolidArchiveTest.cpp - a solid archive: its single entry is an archive, unpacked to a
// temporary file at open, read in its place, and removed at close.
#include "ExtractorFixture.h"

#include "archive/Exceptions.h"
#include "archive/PathRoutines.h"
#include "extract/PayloadEncryptor.h"

namespace vexo::extract::testing {
namespace {

using archive::HasOption;
using archive::OptionBit;

const std::string kKey = "clave secreta";

std::vector<std::string> TemporaryArchives() {
    std::vector<std::string> names;
    for (const auto& f : platform::FindFiles(platform::TempDirectory() + "~Archiv-*.tmp"))
        names.push_back(f.name);
    return names;
}

class SolidArchive : public ExtractorFixture {
  protected:
    const std::vector<SourceFile> files_ = {
        {"uno.txt", Compressible(5000)},
        {"dos\\dos.bin", RandomBytes(70000, 2)},
        {"tres.txt", Bytes{'3'}},
    };

    /// The inner archive (id 1111) of `files_`, then the solid archive (id 2222) wrapping it.
    /// `innerKey` encrypts the inner entries, `outerKey` the wrapper's blocks.
    std::string BuildSolid(const std::string& innerKey = "", const std::string& outerKey = "") {
        const std::string inner = "C:\\work\\inner.arc";
        {
            auto out = platform::OpenFile(inner, platform::OpenMode::Create);
            archive::ArchiveWriterOptions o;
            o.ArchiveID = 1111;
            if (!innerKey.empty()) o.Encrypt = MakePayloadEncryptor(innerKey);
            archive::ArchiveWriter w(*out, o);
            for (const auto& f : files_)
                w.AddFile(f.name, f.date, f.attributes, 'R', f.data);
            w.Finish();
        }
        const std::string solid = "C:\\work\\solid.arc";
        auto out = platform::OpenFile(solid, platform::OpenMode::Create);
        archive::ArchiveWriterOptions o;
        o.ArchiveID = 2222;
        o.Solid = true;
        o.BlockSize = 4096; // several blocks, so progress has steps
        if (!outerKey.empty()) o.Encrypt = MakePayloadEncryptor(outerKey);
        archive::ArchiveWriter w(*out, o);
        w.AddFile("inner.arc", EntryDate(), 0x20, 'R', ReadFileBytes(inner));
        w.Finish();
        return solid;
    }

    /// Flips a byte in the first block payload of the wrapper.
    void Damage(const std::string& solid) {
        Bytes bytes = ReadFileBytes(solid);
        const std::size_t payload = 325 + 46 + std::string("inner.arc").size() + 8;
        bytes.at(payload + 20) ^= 0x10;
        WriteFileBytes(solid, bytes);
    }
};

TEST_F(SolidArchive, OpenShowsTheInnerArchiveAndCloseRestoresTheOuter) {
    const std::string solid = BuildSolid();
    ASSERT_TRUE(TemporaryArchives().empty());
    TExtractor x;
    Prepare(x, solid);
    const archive::TOptions options = x.Options() | OptionBit(archive::oCompress);
    x.SetOptions(options);

    archive::TArchiveHeader seen;
    bool solidWhenSeen = false;
    x.OnAfterOpen = [&](archive::TArchiverRoot& sender) {
        seen = sender.Header();
        solidWhenSeen = x.IsSolid();
    };
    x.Open();
    EXPECT_EQ(seen.ArchiveID, 1111);
    EXPECT_EQ(seen.ArchiveInfo.FileCount, 3);
    EXPECT_EQ(seen.Flags & archive::kHeaderSolid, 0);
    EXPECT_TRUE(solidWhenSeen);

    // The temporary file stands in for the archive, read as a plain one.
    const auto temps = TemporaryArchives();
    ASSERT_EQ(temps.size(), 1u);
    EXPECT_EQ(x.FileName(), platform::TempDirectory() + temps[0]);
    EXPECT_EQ(x.StartOffset(), 0);
    EXPECT_FALSE(HasOption(x.Options(), archive::oCompress));

    std::vector<std::string> extracted;
    x.OnFileExtracted = [&](archive::TArchiverRoot&, const archive::TFileEntry& e,
                            const std::string&) { extracted.push_back(e.Name); };
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    EXPECT_EQ(extracted, (std::vector<std::string>{"uno.txt", "dos\\dos.bin", "tres.txt"}));
    for (const auto& f : files_)
        EXPECT_EQ(ReadFileBytes(Out(f.name)), f.data) << f.name;

    x.Close();
    EXPECT_FALSE(x.IsSolid());
    EXPECT_TRUE(TemporaryArchives().empty());
    EXPECT_EQ(x.FileName(), solid);
    EXPECT_EQ(x.Options(), options);
}

TEST_F(SolidArchive, UnpackingIsAnOperationOfItsOwnWithHalvedProgress) {
    const std::string solid = BuildSolid();
    TExtractor x;
    Prepare(x, solid);
    std::vector<int> unpacking;
    std::vector<std::string> messages;
    int started = 0, finished = 0, extractedDuringOpen = 0;
    x.OnStartOperation = [&](archive::TArchiverRoot&) { ++started; };
    x.OnFinishOperation = [&](archive::TArchiverRoot&) { ++finished; };
    x.OnFileProgress = [&](archive::TArchiverRoot& s, int percent) {
        if (s.HasState(archive::sbUnpackingSolid)) unpacking.push_back(percent);
    };
    x.OnDisplayMessage = [&](archive::TArchiverRoot&, const std::string& m) {
        messages.push_back(m);
    };
    x.OnFileExtracted = [&](archive::TArchiverRoot& s, const archive::TFileEntry&,
                            const std::string&) {
        if (s.HasState(archive::sbUnpackingSolid)) ++extractedDuringOpen;
    };
    x.Open();
    EXPECT_EQ(started, 1);
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(extractedDuringOpen, 1);
    EXPECT_EQ(messages, (std::vector<std::string>{"Descomprimiendo archivo solido..."}));
    ASSERT_GE(unpacking.size(), 3u); // start, then one per block
    EXPECT_EQ(unpacking.front(), 0);
    EXPECT_EQ(unpacking.back(), 50); // the whole wrapper read: 100 shown as 50
    EXPECT_TRUE(std::is_sorted(unpacking.begin(), unpacking.end()));
    EXPECT_FALSE(x.HasState(archive::sbUnpackingSolid));
    EXPECT_EQ(x.ProcessedBytes(), 0);
}

TEST_F(SolidArchive, EncryptedInnerEntriesAskForTheKeyWhenExtracted) {
    const std::string solid = BuildSolid(kKey);
    TExtractor x;
    Prepare(x, solid);
    int asked = 0;
    x.OnRequestCryptKey = [&](archive::TArchiverRoot&, std::string& key) {
        ++asked;
        key = kKey;
    };
    x.Open();
    EXPECT_EQ(asked, 0); // the wrapper is plain
    x.ExtractAll();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    for (const auto& f : files_)
        EXPECT_EQ(ReadFileBytes(Out(f.name)), f.data) << f.name;
    x.Close();
    EXPECT_TRUE(TemporaryArchives().empty());
}

TEST_F(SolidArchive, TheRestorePolicyDoesNotApplyToTheTemporaryFile) {
    const std::string solid = BuildSolid();
    for (TRestoreAction action : {raExistingOnly, raUpdateExisting, raSkip, raAsk}) {
        TExtractor x;
        Prepare(x, solid);
        x.SetRestoreAction(action);
        ASSERT_NO_THROW(x.Open()) << action;
        EXPECT_TRUE(x.IsSolid());
        EXPECT_EQ(x.Header().ArchiveID, 1111);
        EXPECT_EQ(x.RestoreAction(), action);
        x.Close();
    }
    EXPECT_TRUE(prompts_.Records().empty());
    EXPECT_TRUE(TemporaryArchives().empty());
}

// How a failure while unpacking is answered; every way ends with a failed open and no
// temporary file.
struct UnpackFailure {
    const char* name;
    archive::TErrorAction action;
    bool withHandler;    // an OnError handler is assigned
    bool silent;         // EAbort rather than the error itself
    const char* text;    // the error's text when not silent
    int continuePrompts; // continue prompts shown
};

class SolidUnpackFailure : public SolidArchive,
                           public ::testing::WithParamInterface<UnpackFailure> {};

TEST_P(SolidUnpackFailure, DeletesTheTemporaryFileAndFailsTheOpen) {
    const UnpackFailure& p = GetParam();
    const std::string solid = BuildSolid();
    Damage(solid);
    TExtractor x;
    Prepare(x, solid);
    const archive::TOptions options = x.Options();
    x.SetErrorAction(p.action);
    if (p.withHandler)
        x.OnError = [](archive::TArchiverRoot&, const std::exception&, const archive::TFileEntry&,
                       archive::TErrorAction&) {};
    if (p.continuePrompts > 0) prompts_.QueueResult(archive::ContinueAnswer::No);
    bool afterOpen = false;
    x.OnAfterOpen = [&](archive::TArchiverRoot&) { afterOpen = true; };

    try {
        x.Open();
        ADD_FAILURE() << "the open went through";
    } catch (const archive::EAbort&) {
        EXPECT_TRUE(p.silent);
    } catch (const archive::EArchiver& e) {
        EXPECT_FALSE(p.silent);
        EXPECT_EQ(std::string(e.what()), p.text);
    }
    EXPECT_FALSE(afterOpen);
    EXPECT_FALSE(x.IsOpen());
    EXPECT_FALSE(x.IsSolid());
    EXPECT_EQ(x.FileName(), solid);
    EXPECT_EQ(x.Options(), options);
    EXPECT_TRUE(TemporaryArchives().empty());
    EXPECT_EQ(static_cast<int>(prompts_.Records().size()), p.continuePrompts);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, SolidUnpackFailure,
    ::testing::Values(
        UnpackFailure{"Abort", archive::eaAbort, false, false,
                      "CRC incorrecto: los datos dentro del archivo estan corrompidos", 0},
        UnpackFailure{"AbortWithHandler", archive::eaAbort, true, true, "", 0},
        UnpackFailure{"AskAnsweredNo", archive::eaAsk, false, true, "", 1},
        // Going on leaves an incomplete inner archive, which must not be read.
        UnpackFailure{"Continue", archive::eaContinue, false, false,
                      "Este componente no puede crear un archivo", 0}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(SolidArchive, CancelledKeyPromptWhileUnpackingFailsTheOpenSilently) {
    const std::string solid = BuildSolid("", kKey);
    TExtractor x;
    Prepare(x, solid);
    prompts_.QueueText(std::nullopt);
    EXPECT_THROW(x.Open(), archive::EAbort);
    EXPECT_FALSE(x.IsOpen());
    EXPECT_TRUE(TemporaryArchives().empty());
    ASSERT_EQ(prompts_.Records().size(), 1u);
    EXPECT_EQ(prompts_.Records()[0].Kind, archive::PromptKind::PasswordQuery);
}

TEST_F(SolidArchive, AnEncryptedWrapperOpensWithTheKey) {
    const std::string solid = BuildSolid("", kKey);
    TExtractor x;
    Prepare(x, solid);
    x.OnRequestCryptKey = [&](archive::TArchiverRoot&, std::string& key) { key = kKey; };
    x.Open();
    EXPECT_EQ(x.Header().ArchiveID, 1111);
    x.ExtractAll();
    EXPECT_EQ(ReadFileBytes(Out("tres.txt")), Bytes{'3'});
    x.Close();
    EXPECT_TRUE(TemporaryArchives().empty());
}

TEST_F(SolidArchive, DestroyingTheOpenExtractorRemovesTheTemporaryFile) {
    const std::string solid = BuildSolid();
    {
        TExtractor x;
        Prepare(x, solid);
        x.Open();
        EXPECT_EQ(TemporaryArchives().size(), 1u);
    }
    EXPECT_TRUE(TemporaryArchives().empty());
}

TEST_F(SolidArchive, TheWriterRefusesASolidArchiveWithoutExactlyOneEntry) {
    for (int entries : {0, 2}) {
        platform::MemoryStream out;
        archive::ArchiveWriterOptions o;
        o.Solid = true;
        archive::ArchiveWriter w(out, o);
        for (int i = 0; i < entries; ++i)
            w.AddFile("a" + std::to_string(i), EntryDate(), 0x20, 'R', Bytes{1, 2, 3});
        EXPECT_THROW(w.Finish(), archive::EArchiver) << entries;
    }
}

} // namespace
} // namespace vexo::extract::testing
