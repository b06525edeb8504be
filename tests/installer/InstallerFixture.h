// InstallerFixture.h - a throw-away prefix, installer files made on the spot, and a window
// logic wired to a recording view.
#pragma once

#include "RecordingView.h"
#include "archive/ArchiveWriter.h"
#include "archive/DateTime.h"
#include "archive/PackageValues.h"
#include "archive/Real48.h"
#include "common/HostEnv.h"
#include "common/TempDirectory.h"
#include "installer/InstallerWindow.h"
#include "installer/Services.h"
#include "platform/Encoding.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace vexo::installer::test {

struct PackageFile {
    std::string name; // stored name, Windows-1252
    char rule = 'R';
    std::string content;
    archive::TDateTime date = 0; // 0: 2009-02-12 10:00:00
};

struct PackageSpec {
    double version = 10.05;
    std::int32_t code = 1;
    std::uint16_t date = 0xDA4C;
    std::string productCode;
    std::vector<PackageFile> files;
};

inline archive::TDateTime At(int year, int month, int day, int hour = 10, int minute = 0,
                             int second = 0) {
    return archive::CivilToDateTime({year, month, day, hour, minute, second, 0});
}

/// Real machine services with a few answers pinned for tests.
class TestServices : public InstallerServices {
  public:
    std::string module; // the installer's own file (Windows path)
    int platformId = kPlatformNtFamily;
    std::string currentDirectory = "C:\\users\\ana";
    std::map<std::string, double> versions; // program file -> version (else the real reader)
    std::uint32_t now = 5000;
    int sleeps = 0;
    bool stop = false; // a stop request (a signal) arrived

    int PlatformId() override { return platformId; }
    std::string ModuleFileName() override { return module; }
    std::string CurrentDirectory() override { return currentDirectory; }
    double ReadProgramVersion(std::string_view path) override {
        auto it = versions.find(std::string(path));
        return it != versions.end() ? it->second : InstallerServices::ReadProgramVersion(path);
    }
    std::uint32_t TickCount() override { return now; }
    void Sleep(unsigned ms) override {
        ++sleeps;
        now += ms;
    }
    bool StopRequested() override { return stop; }
};

class InstallerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        temp_.emplace("vexo-installer-test");
        root_ = temp_->String();
        SaveEnv("VEXO_PREFIX", (temp_->Path() / "prefix").string());
        SaveEnv("VEXO_USER", "ana");
        platform::PrepareForWriting(); // lays out the fresh prefix
    }
    void TearDown() override {
        window_.reset();
        while (!savedEnv_.empty())
            savedEnv_.pop_back(); // restored in the reverse order
        platform::ResetPrefix();
        temp_.reset();
    }

    void SaveEnv(const std::string& name, const std::string& value) {
        savedEnv_.push_back(std::make_unique<vexo::test::ScopedEnv>(name, value));
    }

    /// The host path of a Windows path, for the standard library.
    static std::filesystem::path Host(const std::string& windowsPath) {
        return vexo::test::FsPath(platform::HostPath(windowsPath).value_or(""));
    }

    static void WriteFile(const std::string& windowsPath, const std::string& content,
                          archive::TDateTime date = 0) {
        std::filesystem::path host = Host(windowsPath);
        std::filesystem::create_directories(host.parent_path());
        std::ofstream(host, std::ios::binary) << content;
        if (date != 0) platform::SetFileAge(windowsPath, archive::DateTimeToDosDateTime(date));
    }

    static std::optional<std::string> ReadFile(const std::string& windowsPath) {
        std::ifstream in(Host(windowsPath), std::ios::binary);
        if (!in) return std::nullopt;
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    /// Writes a self-extracting installer: a program image, the tag block, the archive and
    /// the locator.
    static void MakeInstaller(const std::string& windowsPath, const PackageSpec& pkg) {
        std::filesystem::create_directories(Host(windowsPath).parent_path());
        auto out = platform::OpenFile(windowsPath, platform::OpenMode::Create);
        std::string image = "MZ stand-in program image";
        image.resize(4096, '\0');
        out->WriteBuffer(image.data(), image.size());
        auto tag = archive::MakeTagBlock(0);
        out->WriteBuffer(tag.data(), tag.size());
        std::int64_t start = out->Position();

        archive::TArchiveHeader scratch;
        archive::PackageValues values;
        values.PackageVersion = archive::DoubleToReal48(pkg.version);
        values.PackageCode = pkg.code;
        values.PackageDate = pkg.date;
        values.ProductCode = pkg.productCode;
        archive::WritePackageValues(scratch, values);
        archive::ArchiveWriterOptions options;
        options.ApplicationArea = scratch.ApplicationArea;
        options.UserData = scratch.UserData;
        archive::ArchiveWriter writer(*out, options);
        for (const PackageFile& f : pkg.files) {
            std::vector<std::uint8_t> bytes(f.content.begin(), f.content.end());
            writer.AddFile(f.name, f.date != 0 ? f.date : At(2009, 2, 12), 0x20, f.rule, bytes);
        }
        writer.Finish();
        out->Seek(0, platform::SeekOrigin::End);
        archive::WriteLocator(*out, static_cast<std::int32_t>(start));
    }

    /// Makes the installer and a window logic that believes it is that installer.
    InstallerWindow& Window(const std::string& installerPath, const PackageSpec& pkg) {
        MakeInstaller(installerPath, pkg);
        services_.module = installerPath;
        window_ = std::make_unique<InstallerWindow>(view_, services_);
        view_.window = window_.get();
        return *window_;
    }

    std::string root_;
    TestServices services_;
    RecordingView view_;
    std::unique_ptr<InstallerWindow> window_;

  private:
    std::optional<vexo::test::TempDirectory> temp_;
    std::vector<std::unique_ptr<vexo::test::ScopedEnv>> savedEnv_;
};

} // namespace vexo::installer::test
