// Common.cpp - host files, archive opening and text output shared by the subcommands.
#include "Tool.h"

#include "archive/ArchiveReader.h"
#include "archive/DateTime.h"
#include "archive/Exceptions.h"
#include "archive/FileRoutines.h"
#include "archive/Messages.h"
#include "archive/PathRoutines.h"
#include "archive/TextFormat.h"
#include "platform/Encoding.h"
#include "platform/Error.h"
#include "platform/HostFiles.h"
#include "platform/Paths.h"

#include <cstdio>

namespace vexo::tool {

namespace {

std::unique_ptr<platform::Stream> Open(const std::string& path) {
    try {
        return platform::OpenHostFile(path, platform::HostFileMode::Read);
    } catch (const platform::PlatformError&) {
        archive::TMessages m;
        throw archive::EArchiver(archive::Format(m.CannotOpenFile, platform::Utf8ToCp1252(path)));
    }
}

} // namespace

std::unique_ptr<platform::Stream> OpenInput(const std::string& path) {
    return Open(path);
}

bool TakeStartRuleOption(const std::string& arg, ArchiveStartRule& rule) {
    if (arg != "--sfx-info") return false;
    rule = ArchiveStartRule::VersionStrings;
    return true;
}

OpenedArchive OpenArchive(const std::string& path, ArchiveStartRule rule) {
    OpenedArchive a;
    a.file = OpenInput(path);
    std::string name = platform::Utf8ToCp1252(path);
    if (archive::IsExeFile(name)) {
        if (rule == ArchiveStartRule::Locator) {
            a.start = archive::FindArchiveStart(*a.file);
        } else {
            archive::TCustomSFXGenerator generator;
            generator.ReadInfo(platform::WindowsPath(platform::AbsoluteHostPath(path)));
            a.start = generator.ArchiveStart();
        }
    }
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
