// Common.cpp - host file stream, archive opening and text output shared by the subcommands.
#include "Tool.h"

#include "archive/ArchiveReader.h"
#include "archive/DateTime.h"
#include "archive/Exceptions.h"
#include "archive/Messages.h"
#include "archive/PathRoutines.h"
#include "archive/TextFormat.h"
#include "platform/Encoding.h"
#include "platform/Error.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace vexo::tool {

HostFile::HostFile(const std::string& path, bool create)
    : file_(std::fopen(path.c_str(), create ? "w+b" : "rb")) {
    if (file_ == nullptr) {
        archive::TMessages m;
        std::string name = platform::Utf8ToCp1252(path);
        throw archive::EArchiver(
            archive::Format(create ? m.CannotCreateFile : m.CannotOpenFile, name));
    }
}

HostFile::~HostFile() {
    std::fclose(file_);
}

std::size_t HostFile::Read(void* buffer, std::size_t count) {
    return std::fread(buffer, 1, count, file_);
}

std::size_t HostFile::Write(const void* buffer, std::size_t count) {
    return std::fwrite(buffer, 1, count, file_);
}

std::int64_t HostFile::Seek(std::int64_t offset, platform::SeekOrigin origin) {
    int whence = origin == platform::SeekOrigin::Begin     ? SEEK_SET
                 : origin == platform::SeekOrigin::Current ? SEEK_CUR
                                                           : SEEK_END;
    if (fseeko(file_, offset, whence) != 0)
        throw platform::PlatformError(platform::kErrorNegativeSeek, "Invalid seek position");
    return ftello(file_);
}

std::int64_t HostFile::Size() {
    off_t here = ftello(file_);
    fseeko(file_, 0, SEEK_END);
    off_t size = ftello(file_);
    fseeko(file_, here, SEEK_SET);
    return size;
}

void HostFile::Truncate() {
    std::fflush(file_);
    if (ftruncate(fileno(file_), ftello(file_)) != 0) throw platform::EWriteError();
}

OpenedArchive OpenArchive(const std::string& path) {
    OpenedArchive a;
    a.file = std::make_unique<HostFile>(path, false);
    std::string name = platform::Utf8ToCp1252(path);
    a.start = archive::IsExeFile(name) ? archive::FindArchiveStart(*a.file) : 0;
    archive::TMessages messages;
    a.header = archive::ReadCheckedHeader(*a.file, a.start, name, messages);
    return a;
}

std::string Utf8(const std::string& cp1252) {
    return platform::Cp1252ToUtf8(cp1252);
}

std::string DateTimeText(double dateTime) {
    archive::CivilDateTime c = archive::DateTimeToCivil(dateTime);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day, c.hour,
                  c.minute, c.second);
    return buf;
}

} // namespace vexo::tool
