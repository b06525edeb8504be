// PackageIdentity.h - what the archive header and the installer's name say about the package.
#pragma once

#include "archive/PackageValues.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vexo::installer {

using archive::kUpdatePackageCode;

/// "12 de Febrero del 2009" for 0xDA4C; impossible fields are shown as they are.
std::string PackageDateText(std::uint16_t packageDate);

/// "Versión 1.234,50" for 1234.5; empty for 0.
std::string PackageVersionText(double version);

/// The title for an installer file name (upper-cased here) and package code. Raises
/// archive::Exception with the invalid-integer text when an "AEAT-ZORI-" name has no year.
std::string PackageTitle(std::string_view installerFileName, std::int32_t packageCode);

/// Decimal text to integer as the platform's conversion does it: leading blanks, optional
/// sign, digits. Raises archive::Exception "'<text>' is not a valid integer value" otherwise.
int StrToInt(std::string_view text);

/// The application's title: the file name without extension, the first character as it is and
/// the rest lower-cased (AEAT-ZORI-09.EXE gives Aeat-zori-09). Takes the installer's own file
/// name as it is on disk, not the upper-cased identity: zpx20.exe gives zpx20.
std::string ApplicationTitle(std::string_view installerFileName);

} // namespace vexo::installer
