// LoadableModuleTest.cpp - a module mapped from bytes in memory, its symbols, and the words
// that say why a load failed.
#include "platform/LoadableModule.h"
#include "common/HostEnv.h"
#include "platform/HostFiles.h"
#include "platform/ScopedTestPrefix.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace vexo::platform;

namespace {

using vexo::test::kWindowsHost;

// The loader's calls as the failures name them.
const std::string kSymbolCall = kWindowsHost ? "GetProcAddress: " : "dlsym: ";
const std::string kLoadCall = kWindowsHost ? "LoadLibraryW: " : "dlopen: ";

std::string ModuleBytes() {
    auto bytes = ReadHostFile(VEXO_TEST_MODULE);
    if (!bytes) throw std::runtime_error("no test module at " VEXO_TEST_MODULE);
    return *bytes;
}

// The temporary folder pointed elsewhere for a scope.
class ScopedTmpDir {
  public:
    explicit ScopedTmpDir(const std::string& dir) : env_(kWindowsHost ? "TMP" : "TMPDIR", dir) {}

  private:
    vexo::test::ScopedEnv env_;
};

bool IsEmptyFolder(const std::string& dir) {
    return std::filesystem::is_empty(vexo::test::FsPath(dir));
}

TEST(LoadableModule, MapsTheBytesAndFindsTheExports) {
    const std::string bytes = ModuleBytes();
    auto module = LoadableModule::FromMemory("vexo-test-module", bytes.data(), bytes.size());
    EXPECT_EQ(module.Entry<int()>("vexo_tiny_answer")(), 42);
    EXPECT_EQ(module.Entry<int(int)>("vexo_tiny_twice")(21), 42);
}

TEST(LoadableModule, AMissingSymbolSaysSo) {
    const std::string bytes = ModuleBytes();
    auto module = LoadableModule::FromMemory("vexo-test-module", bytes.data(), bytes.size());
    try {
        module.Symbol("vexo_tiny_absent");
        FAIL() << "found an absent symbol";
    } catch (const ModuleError& e) {
        const std::string why = e.what();
        EXPECT_EQ(why.rfind(kSymbolCall, 0), 0u) << why;
        EXPECT_NE(why.find("vexo_tiny_absent"), std::string::npos) << why;
    }
}

// The loader knows modules by name: a later memory file must not be taken for a loaded one.
TEST(LoadableModule, LaterBytesAreNotTakenForALoadedModule) {
    const std::string bytes = ModuleBytes();
    LoadableModule::FromMemory("vexo-test-module", bytes.data(), bytes.size());
    const std::string text(200, 'x');
    EXPECT_THROW(LoadableModule::FromMemory("vexo-test-module", text.data(), text.size()),
                 ModuleError);
}

struct FailureCase {
    const char* what;
    const char* bytes;
    bool tmpMissing;     // TMPDIR names no folder
    const char* because; // the loader's words, in both attempts
    int windowsError;    // what Windows' loader says instead
};

class LoadableModuleFailure : public ::testing::TestWithParam<FailureCase> {};

// The loader's refusal of `c.bytes`, as the failure says it.
std::string WhyTheLoadFailed(const FailureCase& c) {
    const std::string bytes = c.bytes;
    try {
        LoadableModule::FromMemory("vexo-test-module", bytes.data(), bytes.size());
    } catch (const ModuleError& e) {
        return e.what();
    }
    ADD_FAILURE() << "loaded bytes that are no module";
    return {};
}

// Both ways are tried and each says why it failed, the memory file's first.
void ExpectBothWaysFailed(const FailureCase& c, const std::string& tmp) {
    const std::string why = WhyTheLoadFailed(c);
    const std::string second =
        "; " + (c.tmpMissing ? "" : std::string("dlopen: ")) + tmp + "/vexo-test-module.";
    EXPECT_EQ(why.rfind("dlopen: /proc/self/fd/", 0), 0u) << why;
    const auto at = why.find(second);
    ASSERT_NE(at, std::string::npos) << why;
    EXPECT_NE(why.substr(0, at).find(c.because), std::string::npos) << why;
    const std::string tail = c.tmpMissing ? "No such file or directory" : c.because;
    EXPECT_NE(why.find(tail, at), std::string::npos) << why;
}

// Windows has no memory files: the temporary file is the one way, and its failure is said in
// the system's words.
void ExpectTheTemporaryFileFailed(const FailureCase& c, const std::string& tmp) {
    const std::string why = WhyTheLoadFailed(c);
    const std::string file = tmp + "\\vexo-test-module.";
    EXPECT_EQ(why.rfind(c.tmpMissing ? file : kLoadCall + file, 0), 0u) << why;
    const int code = c.tmpMissing ? 3 : c.windowsError; // ERROR_PATH_NOT_FOUND
    EXPECT_NE(why.find(": " + vexo::test::SystemMessage(code)), std::string::npos) << why;
}

// Every way the host has is tried and says why it failed; the temporary file is gone afterwards.
TEST_P(LoadableModuleFailure, SaysWhyEachWayFailed) {
    const FailureCase& c = GetParam();
    ScopedTestPrefix scratch;
    const std::string tmp = scratch.Host(c.tmpMissing ? "no-such-folder" : "tmp");
    if (!c.tmpMissing) CreateHostDirectories(tmp);
    ScopedTmpDir tmpDir(tmp);
    if (kWindowsHost)
        ExpectTheTemporaryFileFailed(c, tmp);
    else
        ExpectBothWaysFailed(c, tmp);
    if (!c.tmpMissing) {
        EXPECT_TRUE(IsEmptyFolder(tmp));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, LoadableModuleFailure,
                         ::testing::Values(FailureCase{"Text",
                                                       "this is no module, only some words of text "
                                                       "long enough to hold an ELF header's place",
                                                       false, "invalid ELF header", 193},
                                           FailureCase{"TooShort",
                                                       "\x7f"
                                                       "ELF",
                                                       false, "file too short", 193},
                                           FailureCase{"NoTemporaryFolder",
                                                       "not a module either, and long enough "
                                                       "for a header to be looked for",
                                                       true, "invalid ELF header", 193}),
                         [](const auto& row) { return std::string(row.param.what); });

} // namespace
