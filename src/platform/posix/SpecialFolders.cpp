// SpecialFolders.cpp - shell folders by CSIDL at the places Wine gives them in the prefix.
#include "platform/Encoding.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Shell.h"
#include "platform/posix/HostPaths.h"

#include <filesystem>

namespace vexo::platform {

std::string SpecialFolderPath(int csidl) {
    const std::string user = Utf8ToCp1252(detail::HostUserName());
    const std::string roaming = "C:\\users\\" + user + "\\AppData\\Roaming";
    const std::string common = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu";
    std::string path;
    switch (csidl) {
    case CSIDL_DESKTOPDIRECTORY:
        path = "C:\\users\\" + user + "\\Desktop";
        break;
    case CSIDL_STARTMENU:
        path = roaming + "\\Microsoft\\Windows\\Start Menu";
        break;
    case CSIDL_PROGRAMS:
        path = roaming + "\\Microsoft\\Windows\\Start Menu\\Programs";
        break;
    case CSIDL_COMMON_STARTMENU:
        path = common;
        break;
    case CSIDL_COMMON_PROGRAMS:
        path = common + "\\Programs";
        break;
    default:
        return {};
    }
    auto host = HostPath(path);
    if (!host) return {};
    std::error_code ec;
    // A process that only reads is given the folder's place, and nothing is made.
    if (!PreparedForWriting())
        return std::filesystem::exists(*host, ec) && !std::filesystem::is_directory(*host, ec)
                   ? std::string()
                   : path;
    // Made past the resolver: what look-ups remembered of these folders is stale.
    if (std::filesystem::create_directories(*host, ec)) ForgetLookups();
    return std::filesystem::is_directory(*host, ec) ? path : std::string();
}

} // namespace vexo::platform
