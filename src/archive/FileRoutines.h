// FileRoutines.h - file, directory and version-string routines of the archive container.
#pragma once

#include "archive/DateTime.h"
#include "archive/Messages.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vexo::archive {

/// Whether drive `letter` (a to z, either case) reports a size; no system error box is shown
/// for a drive without medium. Raises Exception "Not a valid drive ID" for any other character.
bool IsDriveReady(char letter);

/// Whether the drive part of `path` is a removable drive.
bool IsRemovableDrive(const std::string& path);

/// Whether `path` names an existing directory (its attributes carry the directory bit).
bool IsExistingDirectory(const std::string& path);

/// The file's last-write time as a date-time; 0 when it cannot be had.
TDateTime GetFileDate(const std::string& path);

/// The file's size; 0 when it does not exist or cannot be read.
std::int64_t GetFileSize(const std::string& path);

/// The temporary directory with a trailing backslash; "c:\" when the platform has none.
std::string GetTempDirectory();

/// The archive start recorded in the 8-byte locator at the end of `fileName`, 0 without one.
/// Raises Exception with the system's message and " (fileName)" when the file cannot be opened.
std::int32_t FindArchiveStart(const std::string& fileName);

/// Name=value pairs of the file's version strings, in the fixed key order, taken from the
/// first translation of the version resource; empty when the file has none.
using VersionStrings = std::vector<std::pair<std::string, std::string>>;
VersionStrings ReadVersionStrings(const std::string& fileName);

/// The value of `key` in `strings`, or empty.
std::string VersionString(const VersionStrings& strings, const std::string& key);

/// Reads a self-extractor's code and tag sizes from its version strings.
class TCustomSFXGenerator {
  public:
    TCustomSFXGenerator();
    virtual ~TCustomSFXGenerator() = default;

    /// Reads the two sizes of `fileName`: from its version strings when it exists (missing or
    /// not a number: 0), else the defaults.
    void ReadInfo(const std::string& fileName);

    std::int32_t SFXCodeSize() const { return sfxCodeSize_; }
    std::int32_t TagInfoSize() const { return tagInfoSize_; }
    /// Their sum, where the archive starts; 0 when it is negative or beyond any file offset
    /// a header can lie at (both come from the file).
    std::int32_t ArchiveStart() const;
    std::int32_t DefaultSFXCodeSize = 0;
    std::int32_t DefaultTagInfoSize = 0;
    /// Kept for the stored settings; changing it has no effect on the texts.
    TLanguage Language = TLanguage::lgAutomatic;

  private:
    std::int32_t sfxCodeSize_ = 0;
    std::int32_t tagInfoSize_ = 0;
};

} // namespace vexo::archive
