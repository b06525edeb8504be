// Services.h - what the window's logic asks of the machine, behind one interface.
//
// The real answers come from the environment and platform libraries; tests replace single
// calls (the platform family, the clock) without touching the rest.
#pragma once

#include "archive/DateTime.h"
#include "environment/Configuration.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vexo::installer {

/// Platform identifiers of the version query.
inline constexpr int kPlatform9xFamily = 1; // 95/98/Me: no layered windows
inline constexpr int kPlatformNtFamily = 2;
inline constexpr int kPlatformUnknown = -1; // the query failed

class InstallerServices {
  public:
    virtual ~InstallerServices() = default;

    /// kPlatform9xFamily, kPlatformNtFamily or kPlatformUnknown.
    virtual int PlatformId();
    virtual std::string DesktopDirectory();
    virtual std::string FindProductDirectory(std::string_view shortcutCode,
                                             std::string_view desktop, std::string_view field);
    virtual std::string ReadEngineDirectory(std::string_view productDirectory);
    virtual std::string ReadDataDirectory(std::string_view productDirectory);
    virtual environment::TargetDirectories
    ResolveTargetDirectories(std::string_view productDirectory);
    virtual bool FileExists(std::string_view path);
    /// Last-write time of a file of any attributes as a local date-time; nullopt when missing.
    virtual std::optional<archive::TDateTime> FileDate(std::string_view path);
    virtual double ReadProgramVersion(std::string_view path);
    virtual void CreateProductShortcuts(std::string_view productCode,
                                        std::string_view extractionRoot);
    virtual std::string CurrentDirectory();
    /// The installer's own file as a Windows path.
    virtual std::string ModuleFileName();
    /// The archive start recorded in the locator trailer of `path`; 0 without a trailer.
    virtual std::int32_t FindArchiveStart(std::string_view path);
    virtual std::uint32_t TickCount();
    virtual void Sleep(unsigned milliseconds);
    /// Whether the program was asked to stop (a signal, the console's Ctrl+C or closing).
    virtual bool StopRequested();
};

} // namespace vexo::installer
