// ExtractorTimingTest.cpp - OnShowTiming during an extraction: elapsed and remaining time from
// the tick count, with the time a prompt is up left out.
#include "ExtractorFixture.h"

#include "extract/PayloadEncryptor.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace vexo::extract::testing {
namespace {

// The tick source of the extractor's timer: it moves only when a test moves it.
std::uint32_t g_ticks = 0;
std::uint32_t Ticks() {
    return g_ticks;
}

constexpr std::uint32_t kPerProgressMs = 5; // each progress report "takes" 5 ms
constexpr std::uint32_t kPromptMs = 60'000; // the user ponders a prompt for a minute
const std::string kKey = "clave secreta";

long Ms(archive::TDateTime t) {
    return std::lround(t * 86'400'000.0);
}

struct PromptCase {
    const char* name;
    // Builds the archive and readies the extractor and the prompt answer, which moves the
    // ticks on while the prompt is up.
    std::function<void(ExtractorFixture&, TExtractor&, vexo::test::ScriptedPrompts&)> arrange;
};

class TimingAroundPrompts : public ExtractorFixture,
                            public ::testing::WithParamInterface<PromptCase> {
  public:
    // The fixture's helpers, for the rows of the table.
    using ExtractorFixture::Build;
    using ExtractorFixture::BuildRaw;
    using ExtractorFixture::Prepare;
};

void PassTime() {
    g_ticks += kPromptMs;
}

TEST_P(TimingAroundPrompts, LeaveThePromptsTimeOut) {
    g_ticks = 1000;
    TExtractor x;
    x.SetTickSource(&Ticks);
    GetParam().arrange(*this, x, prompts_);
    int reports = 0;
    x.OnFileProgress = [&](archive::TArchiverRoot&, int) {
        ++reports;
        g_ticks += kPerProgressMs;
    };
    std::vector<long> elapsed, remaining;
    x.OnShowTiming = [&](archive::TArchiverRoot&, archive::TDateTime e, archive::TDateTime r) {
        elapsed.push_back(Ms(e));
        remaining.push_back(Ms(r));
    };
    x.ExtractAll();
    EXPECT_EQ(x.OperationStatus(), archive::TOperationStatus::Completed);
    EXPECT_EQ(prompts_.PendingAnswers(), 0u); // the prompt was shown
    ASSERT_EQ(elapsed.size(), static_cast<std::size_t>(reports));
    // The operation's first report comes before the open, which starts the clock again; from
    // then on every report is timed after its own 5 ms, and the prompt's minute is in none.
    for (std::size_t i = 1; i < elapsed.size(); ++i)
        EXPECT_EQ(elapsed[i], static_cast<long>(i * kPerProgressMs)) << i;
    EXPECT_EQ(remaining.back(), 0);
    EXPECT_GT(*std::max_element(remaining.begin(), remaining.end()), 0);
    EXPECT_LT(*std::max_element(remaining.begin(), remaining.end()), kPromptMs);
}

std::vector<SourceFile> TwoFiles() {
    return {{"a.bin", RandomBytes(4096, 1)}, {"b.bin", RandomBytes(4096, 2)}};
}

INSTANTIATE_TEST_SUITE_P(
    Prompts, TimingAroundPrompts,
    ::testing::Values(
        PromptCase{"Key",
                   [](ExtractorFixture&, TExtractor& x, vexo::test::ScriptedPrompts& p) {
                       auto out = platform::OpenFile("C:\\work\\k.arc", platform::OpenMode::Create);
                       archive::ArchiveWriterOptions o;
                       o.BlockSize = 1024;
                       o.Encrypt = MakePayloadEncryptor(kKey);
                       archive::ArchiveWriter w(*out, o);
                       for (const SourceFile& f : TwoFiles())
                           w.AddFile(f.name, f.date, f.attributes, 'R', f.data);
                       w.Finish();
                       out.reset();
                       x.SetFileName("C:\\work\\k.arc");
                       x.SetExtractPath("C:\\out");
                       x.SetRestoreAction(raOverwrite);
                       p.QueueText(kKey, PassTime);
                   }},
        PromptCase{"Overwrite",
                   [](ExtractorFixture& f, TExtractor& x, vexo::test::ScriptedPrompts& p) {
                       auto& fixture = static_cast<TimingAroundPrompts&>(f);
                       fixture.Prepare(x, fixture.Build(TwoFiles(), true));
                       x.SetRestoreAction(raAsk);
                       WriteFileBytes("C:\\out\\a.bin", Compressible(10));
                       p.QueueResult(archive::OverwriteAnswer::Yes, PassTime);
                   }},
        PromptCase{"Continue",
                   [](ExtractorFixture& f, TExtractor& x, vexo::test::ScriptedPrompts& p) {
                       auto& fixture = static_cast<TimingAroundPrompts&>(f);
                       // The first of a.bin's blocks carries another block's checksum.
                       const Bytes a = RandomBytes(2048, 1), b = RandomBytes(2048, 2);
                       RawEntry bad, good;
                       bad.entry.Name = "a.bin";
                       bad.entry.FileSize = 2048;
                       bad.blocks = MakeBlock(Bytes(a.begin(), a.begin() + 1024), true, &b);
                       const Bytes rest = MakeBlock(Bytes(a.begin() + 1024, a.end()), true);
                       bad.blocks.insert(bad.blocks.end(), rest.begin(), rest.end());
                       good.entry.Name = "b.bin";
                       good.entry.FileSize = 2048;
                       good.blocks = MakeBlock(Bytes(b.begin(), b.begin() + 1024), true);
                       const Bytes more = MakeBlock(Bytes(b.begin() + 1024, b.end()), true);
                       good.blocks.insert(good.blocks.end(), more.begin(), more.end());
                       fixture.Prepare(x, fixture.BuildRaw({bad, good}, 1024));
                       x.SetErrorAction(archive::eaAsk);
                       p.QueueResult(archive::ContinueAnswer::Yes, PassTime);
                   }}),
    [](const ::testing::TestParamInfo<PromptCase>& row) { return std::string(row.param.name); });

} // namespace
} // namespace vexo::extract::testing
