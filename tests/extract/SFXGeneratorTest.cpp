// SFXGeneratorTest.cpp - an installer found through the sizes in its stub's version strings:
// the extractor's SFXGenerator, its start-offset rule, Assign, and sizes that do not hold.
#include "ExtractorFixture.h"

#include "archive/Exceptions.h"
#include "archive/FileRoutines.h"
#include "archive/SFXStubInfo.h"
#include "platform/PeImage.h"
#include "platform/Shell.h"

#include <fstream>
#include <functional>
#include <iterator>
#include <memory>

namespace vexo::extract::testing {
namespace {

constexpr std::int32_t kTagSize = 477;

Bytes Stub() {
    std::ifstream in(VEXO_TEST_DATA_DIR "/pe/sfxstub.exe", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Overwrites the digits of a version string of `image` with `text` (zero-padded on the left).
void SetVersionDigits(Bytes& image, const char* name, const std::string& text) {
    auto value = platform::FindVersionStringValue(image.data(), image.size(), name);
    ASSERT_TRUE(value);
    const auto units = static_cast<std::size_t>(value->length / 2);
    ASSERT_LE(text.size(), units);
    const std::string padded = std::string(units - text.size(), '0') + text;
    for (std::size_t i = 0; i < units; ++i) {
        image[static_cast<std::size_t>(value->offset) + 2 * i] =
            static_cast<std::uint8_t>(padded[i]);
        image[static_cast<std::size_t>(value->offset) + 2 * i + 1] = 0;
    }
}

class SFXGeneratorTest : public ExtractorFixture {
  protected:
    // Stub (its version strings filled in, or edited by `edit`), tag block, archive; no locator.
    std::string BuildInstaller(const std::string& name,
                               const std::function<void(Bytes&)>& edit = nullptr) {
        Bytes stub = Stub();
        EXPECT_EQ(stub.size(), 15872u);
        EXPECT_TRUE(archive::WriteSFXSizes(stub, static_cast<std::int32_t>(stub.size()), kTagSize));
        if (edit) edit(stub);
        auto out = platform::OpenFile(name, platform::OpenMode::Create);
        out->WriteBuffer(stub.data(), stub.size());
        const Bytes tag = archive::MakeTagBlock(kTagSize);
        out->WriteBuffer(tag.data(), tag.size());
        archive::ArchiveWriter writer(*out, {});
        writer.AddFile("LEEME.TXT", EntryDate(), 0x20, 'R', Compressible(3000));
        writer.Finish();
        return name;
    }

    static constexpr std::int32_t kStart = 15872 + kTagSize;
};

TEST_F(SFXGeneratorTest, OpensAnExeThroughTheStubsVersionStrings) {
    const std::string file = BuildInstaller("C:\\work\\ZPX16.EXE");
    auto generator = std::make_shared<archive::TCustomSFXGenerator>();
    TExtractor x;
    Prepare(x, file);
    x.SetSFXGenerator(generator);
    ASSERT_NO_THROW(x.Open());
    EXPECT_EQ(x.SFXCodeSize(), kStart);
    EXPECT_EQ(x.StartOffset(), kStart);
    EXPECT_EQ(generator->SFXCodeSize(), 15872);
    EXPECT_EQ(generator->TagInfoSize(), kTagSize);
    x.Close();
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    EXPECT_EQ(ReadFileBytes(Out("LEEME.TXT")), Compressible(3000));

    // Without the generator the file has no locator: the header is looked for at 0.
    TExtractor plain;
    Prepare(plain, file);
    EXPECT_THROW(plain.Open(), archive::EArchiver);
}

// The generator is asked only for ".EXE" names, each time such a file is opened; any other
// name keeps the size it has and starts at 0.
TEST_F(SFXGeneratorTest, OnlyExeNamesAskTheGenerator) {
    const std::string exe = BuildInstaller("C:\\work\\setup.exe"); // the extension's case folds
    const std::string bare = Build({{"A.TXT", Compressible(10)}}, false, "C:\\work\\plain.arc");
    auto generator = std::make_shared<archive::TCustomSFXGenerator>();
    TExtractor x;
    x.SetSFXGenerator(generator);
    x.SetSFXCodeSize(1234);
    Prepare(x, bare);
    ASSERT_NO_THROW(x.Open());
    EXPECT_EQ(x.SFXCodeSize(), 1234);
    EXPECT_EQ(x.StartOffset(), 0);
    x.Close();
    Prepare(x, exe);
    ASSERT_NO_THROW(x.Open());
    EXPECT_EQ(x.SFXCodeSize(), kStart);
    x.Close();
}

TEST_F(SFXGeneratorTest, AssignCopiesTheGeneratorAndItsLossClearsIt) {
    const std::string file = BuildInstaller("C:\\work\\ZPX16.EXE");
    auto generator = std::make_shared<archive::TCustomSFXGenerator>();
    TExtractor source;
    source.SetSFXGenerator(generator);
    TExtractor copy;
    copy.Assign(source);
    EXPECT_EQ(copy.SFXGenerator(), generator);
    Prepare(copy, file);
    ASSERT_NO_THROW(copy.Open());
    EXPECT_EQ(copy.StartOffset(), kStart);
    copy.Close();

    // A generator that goes away leaves no dangling reference: the locator rule is back.
    generator.reset();
    EXPECT_EQ(copy.SFXGenerator(), nullptr);
    copy.SetSFXCodeSize(0);
    EXPECT_THROW(copy.Open(), archive::EArchiver);
}

// Sizes read from the file that cannot be an archive start: a sum beyond int32 or below 0
// looks for the header at 0, never at a wrapped-around or negative offset; text that is no
// number counts 0. Each ends in the bad-signature message.
TEST_F(SFXGeneratorTest, SizesThatDoNotHoldAreNoStart) {
    struct Case {
        const char* name;
        const char* code;
        const char* tag;
        std::int32_t codeSize, tagSize, start;
    } cases[] = {
        {"sum beyond int32", "2147483647", "477", 2147483647, 477, 0},
        {"both at the largest int32", "2147483647", "2147483647", 2147483647, 2147483647, 0},
        {"negative code size", "-000015872", "0000000477", -15872, 477, 0},
        {"not a number", "15872x", "477", 0, 477, 477},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = BuildInstaller("C:\\work\\BAD.EXE", [&](Bytes& stub) {
            SetVersionDigits(stub, "SFXCodeSize", c.code);
            SetVersionDigits(stub, "TagInfoSize", c.tag);
        });
        auto generator = std::make_shared<archive::TCustomSFXGenerator>();
        TExtractor x;
        Prepare(x, file);
        x.SetSFXGenerator(generator);
        EXPECT_THROW(x.Open(), archive::EArchiver);
        EXPECT_EQ(generator->SFXCodeSize(), c.codeSize);
        EXPECT_EQ(generator->TagInfoSize(), c.tagSize);
        EXPECT_EQ(x.StartOffset(), c.start);
    }
}

TEST(SFXStubInfo, SizesFillTheStringsOrAreRefused) {
    Bytes stub = Stub();
    ASSERT_FALSE(stub.empty());
    EXPECT_TRUE(archive::WriteSFXSizes(stub, 15872, 0));
    auto info = platform::ParseVersionInfo(stub.data(), stub.size());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->strings.at("0C0A04E4").at("SFXCodeSize"), "0000015872");
    EXPECT_EQ(info->strings.at("0C0A04E4").at("TagInfoSize"), "0000000000");
    EXPECT_EQ(info->strings.at("0C0A04E4").at("FileVersion"), "1.0.0.0");

    // Ten digits hold any size; a negative one is refused and changes nothing.
    const Bytes before = stub;
    EXPECT_TRUE(archive::WriteSFXSizes(stub, 2147483647, 2147483647));
    EXPECT_EQ(platform::ParseVersionInfo(stub.data(), stub.size())
                  ->strings.at("0C0A04E4")
                  .at("TagInfoSize"),
              "2147483647");
    stub = before;
    EXPECT_THROW(archive::WriteSFXSizes(stub, -1, 0), archive::Exception);
    EXPECT_THROW(archive::WriteSFXSizes(stub, 0, -5), archive::Exception);
    EXPECT_EQ(stub, before);

    // A program without the strings is left as it is.
    std::ifstream in(VEXO_TEST_DATA_DIR "/pe/dalvo.exe", std::ios::binary);
    Bytes dalvo{std::istreambuf_iterator<char>(in), {}};
    const Bytes dalvoBefore = dalvo;
    EXPECT_FALSE(archive::WriteSFXSizes(dalvo, 100, 100));
    EXPECT_EQ(dalvo, dalvoBefore);
}

} // namespace
} // namespace vexo::extract::testing
