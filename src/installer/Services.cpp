// Services.cpp - the real answers, from the environment and platform libraries.
#include "installer/Services.h"

#include "archive/Format.h"
#include "environment/PostInstall.h"
#include "environment/ProgramIdentity.h"
#include "environment/SystemFolders.h"
#include "platform/FileSystem.h"
#include "platform/Interrupt.h"
#include "platform/System.h"

#include <chrono>
#include <thread>

namespace vexo::installer {

int InstallerServices::PlatformId() {
    try {
        return platform::GetOsVersion().platformId;
    } catch (const std::exception&) {
        return -1;
    }
}

std::string InstallerServices::DesktopDirectory() {
    return environment::DesktopDirectory();
}

std::string InstallerServices::FindProductDirectory(std::string_view shortcutCode,
                                                    std::string_view desktop,
                                                    std::string_view field) {
    return environment::FindProductDirectory(shortcutCode, desktop, field);
}

std::string InstallerServices::ReadEngineDirectory(std::string_view productDirectory) {
    return environment::ReadEngineDirectory(productDirectory, environment::kProductSelector);
}

std::string InstallerServices::ReadDataDirectory(std::string_view productDirectory) {
    return environment::ReadDataDirectory(productDirectory, environment::kProductSelector);
}

environment::TargetDirectories
InstallerServices::ResolveTargetDirectories(std::string_view productDirectory) {
    return environment::ResolveTargetDirectories(productDirectory, environment::kProductSelector);
}

bool InstallerServices::FileExists(std::string_view path) {
    return platform::FileExists(path);
}

std::optional<archive::TDateTime> InstallerServices::FileDate(std::string_view path) {
    std::int32_t age = platform::GetFileAge(path);
    if (age == -1) return std::nullopt;
    try {
        return archive::DosDateTimeToDateTime(age);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

double InstallerServices::ReadProgramVersion(std::string_view path) {
    return environment::ReadProgramVersion(path);
}

void InstallerServices::CreateProductShortcuts(std::string_view productCode,
                                               std::string_view extractionRoot) {
    environment::CreateProductShortcuts(productCode, extractionRoot);
}

std::string InstallerServices::CurrentDirectory() {
    return platform::CurrentDirectory();
}

std::string InstallerServices::ModuleFileName() {
    return platform::ModuleFileName();
}

std::int32_t InstallerServices::FindArchiveStart(std::string_view path) {
    auto stream = platform::OpenFile(path, platform::OpenMode::Read);
    return archive::FindArchiveStart(*stream);
}

std::uint32_t InstallerServices::TickCount() {
    return platform::TickCount();
}

void InstallerServices::Sleep(unsigned milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

bool InstallerServices::StopRequested() {
    return platform::InterruptRequested();
}

} // namespace vexo::installer
