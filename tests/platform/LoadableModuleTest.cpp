// LoadableModuleTest.cpp - a module mapped from bytes in memory, its symbols, and the words
// that say why a load failed.
#include "platform/LoadableModule.h"
#include "platform/HostFiles.h"
#include "platform/ScopedTestPrefix.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

using namespace vexo::platform;

namespace {

std::string ModuleBytes() {
    auto bytes = ReadHostFile(VEXO_TEST_MODULE);
    if (!bytes) throw std::runtime_error("no test module at " VEXO_TEST_MODULE);
    return *bytes;
}

// TMPDIR pointed elsewhere for a scope.
class ScopedTmpDir {
  public:
    explicit ScopedTmpDir(const std::string& dir) {
        if (const char* v = std::getenv("TMPDIR")) saved_ = v;
        ::setenv("TMPDIR", dir.c_str(), 1);
    }
    ~ScopedTmpDir() {
        if (saved_)
            ::setenv("TMPDIR", saved_->c_str(), 1);
        else
            ::unsetenv("TMPDIR");
    }

  private:
    std::optional<std::string> saved_;
};

bool IsEmptyFolder(const std::string& dir) {
    return std::filesystem::is_empty(dir);
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
        EXPECT_EQ(why.rfind("dlsym: ", 0), 0u) << why;
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
};

class LoadableModuleFailure : public ::testing::TestWithParam<FailureCase> {};

// Both ways are tried and each says why it failed, the memory file's first; the temporary file
// is gone afterwards.
TEST_P(LoadableModuleFailure, SaysWhyEachWayFailed) {
    const FailureCase& c = GetParam();
    ScopedTestPrefix scratch;
    const std::string tmp = scratch.Host(c.tmpMissing ? "no-such-folder" : "tmp");
    if (!c.tmpMissing) CreateHostDirectories(tmp);
    ScopedTmpDir tmpDir(tmp);
    const std::string bytes = c.bytes;
    try {
        LoadableModule::FromMemory("vexo-test-module", bytes.data(), bytes.size());
        FAIL() << "loaded bytes that are no module";
    } catch (const ModuleError& e) {
        const std::string why = e.what();
        const std::string second =
            "; " + (c.tmpMissing ? "" : std::string("dlopen: ")) + tmp + "/vexo-test-module.";
        EXPECT_EQ(why.rfind("dlopen: /proc/self/fd/", 0), 0u) << why;
        const auto at = why.find(second);
        ASSERT_NE(at, std::string::npos) << why;
        EXPECT_NE(why.substr(0, at).find(c.because), std::string::npos) << why;
        const std::string tail = c.tmpMissing ? "No such file or directory" : c.because;
        EXPECT_NE(why.find(tail, at), std::string::npos) << why;
    }
    if (!c.tmpMissing) {
        EXPECT_TRUE(IsEmptyFolder(tmp));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, LoadableModuleFailure,
                         ::testing::Values(FailureCase{"Text",
                                                       "this is no module, only some words of text "
                                                       "long enough to hold an ELF header's place",
                                                       false, "invalid ELF header"},
                                           FailureCase{"TooShort",
                                                       "\x7f"
                                                       "ELF",
                                                       false, "file too short"},
                                           FailureCase{"NoTemporaryFolder",
                                                       "not a module either, and long enough "
                                                       "for a header to be looked for",
                                                       true, "invalid ELF header"}),
                         [](const auto& row) { return std::string(row.param.what); });

} // namespace
