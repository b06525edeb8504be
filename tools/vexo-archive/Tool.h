// Tool.h - what the subcommands of vexo-archive share: host files, archive opening, output.
#pragma once

#include "archive/Format.h"
#include "common/Json.h"
#include "platform/Stream.h"

#include <cstdio>
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

/// A stream over a host file (the tool works on host paths, not on Windows paths).
class HostFile final : public platform::Stream {
  public:
    /// Opens for reading, or creates/truncates for writing. Raises archive::EArchiver with the
    /// "No puedo abrir %s" / "No puedo crear el Archivo %s" texts on failure.
    HostFile(const std::string& path, bool create);
    ~HostFile() override;
    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, platform::SeekOrigin origin) override;
    std::int64_t Size() override;
    void Truncate() override;

  private:
    std::FILE* file_;
};

struct OpenedArchive {
    std::unique_ptr<HostFile> file;
    std::int64_t start = 0;
    archive::TArchiveHeader header;
};

/// ".EXE" names through their locator trailer, every other file as a bare archive.
OpenedArchive OpenArchive(const std::string& path);

using tools::JsonString;
std::string Utf8(const std::string& cp1252);
std::string DateTimeText(double dateTime);

int RunBuild(const std::vector<std::string>& args);
int RunInfo(const std::vector<std::string>& args);
int RunList(const std::vector<std::string>& args);

} // namespace vexo::tool
