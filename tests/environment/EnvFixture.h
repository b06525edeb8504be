// EnvFixture.h - a throw-away prefix per test, and file helpers on Windows paths.
#pragma once

#include "common/HostEnv.h"
#include "platform/Encoding.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/ScopedTestPrefix.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace vexo::environment::test {

using vexo::test::ScopedEnv;

/// A fresh prefix for the user "ana", removed afterwards (with any armed fault).
class EnvTest : public ::testing::Test {
  protected:
    void SetUp() override { prefix_.emplace("ana"); }
    void TearDown() override { prefix_.reset(); }

    /// The host path of a Windows path (Windows-1252 or plain ASCII), for the standard
    /// library.
    static std::filesystem::path Host(const std::string& windowsPath) {
        std::optional<std::string> host = platform::HostPath(windowsPath);
        EXPECT_TRUE(host.has_value()) << windowsPath;
        return vexo::test::FsPath(host.value_or(std::string()));
    }

    /// Writes `content` to a Windows path, making its directories.
    static void WriteFile(const std::string& windowsPath, const std::string& content) {
        std::filesystem::path host = Host(windowsPath);
        std::filesystem::create_directories(host.parent_path());
        std::ofstream(host, std::ios::binary) << content;
    }

    static void MakeDirectory(const std::string& windowsPath) {
        std::filesystem::create_directories(Host(windowsPath));
    }

  private:
    std::optional<platform::ScopedTestPrefix> prefix_;
};

} // namespace vexo::environment::test
