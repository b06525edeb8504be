// Tool.h - what the subcommands of vexo-archive share: host files, archive opening, output.
#pragma once

#include "archive/Format.h"
#include "common/Json.h"
#include "platform/Stream.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace vexo::tool {

/// A wrong command line: exit status 2 with the usage line.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

/// Host files the tool reads (it works on host paths, not on Windows paths). Raises
/// archive::EArchiver with the "No puedo abrir %s" text.
std::unique_ptr<platform::Stream> OpenInput(const std::string& path);

/// Where the archive of a self-extracting ".EXE" is looked for: the locator trailer, or the
/// code and tag sizes in the program's version strings (--sfx-info).
enum class ArchiveStartRule { Locator, VersionStrings };

/// Whether `arg` is --sfx-info, which sets `rule` to VersionStrings.
bool TakeStartRuleOption(const std::string& arg, ArchiveStartRule& rule);

struct OpenedArchive {
    std::unique_ptr<platform::Stream> file;
    std::int64_t start = 0;
    archive::TArchiveHeader header;
};

/// ".EXE" names through `rule`, every other file as a bare archive.
OpenedArchive OpenArchive(const std::string& path, ArchiveStartRule rule);

using tools::JsonString;
std::string Utf8(const std::string& cp1252);
std::string DateTimeText(double dateTime);

int RunBuild(const std::vector<std::string>& args);
int RunInfo(const std::vector<std::string>& args);
int RunList(const std::vector<std::string>& args);

} // namespace vexo::tool
