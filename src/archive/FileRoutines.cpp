// FileRoutines.cpp - file, directory and version-string routines over the platform layer.
#include "archive/FileRoutines.h"

#include "archive/Exceptions.h"
#include "archive/Format.h"
#include "archive/PathRoutines.h"
#include "archive/TextFormat.h"
#include "platform/Encoding.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "platform/System.h"

#include <charconv>
#include <climits>
#include <cstdio>
#include <map>
#include <memory>

namespace vexo::archive {

bool IsDriveReady(char letter) {
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    if (letter < 'A' || letter > 'Z') throw Exception("Not a valid drive ID");
    return platform::DiskSize(letter - 'A' + 1) != -1;
}

bool IsRemovableDrive(const std::string& path) {
    if (path.size() < 2 || path[1] != ':') return false;
    return platform::GetDriveType(path.substr(0, 2) + "\\") == platform::DriveType::Removable;
}

bool IsExistingDirectory(const std::string& path) {
    std::uint32_t attrs = platform::GetFileAttributes(path);
    return attrs != platform::kInvalidAttributes && (attrs & platform::kAttrDirectory) != 0;
}

TDateTime GetFileDate(const std::string& path) {
    try {
        // Opening first keeps the rule "cannot be opened: 0" even where the age is readable.
        auto stream = platform::OpenFile(path, platform::OpenMode::ReadShareAll);
    } catch (const platform::PlatformError&) {
        return 0;
    }
    std::int32_t age = platform::GetFileAge(path);
    return age == -1 ? 0 : DosDateTimeToDateTime(age);
}

std::int64_t GetFileSize(const std::string& path) {
    if (!platform::FileExists(path)) return 0;
    try {
        return platform::OpenFile(path, platform::OpenMode::ReadShareAll)->Size();
    } catch (const std::exception&) {
        return 0;
    }
}

std::string GetTempDirectory() {
    std::string dir = platform::TempDirectory();
    if (dir.size() > 512)
        dir.clear(); // more than the buffer the call is given: the platform answers nothing
    if (dir.empty()) dir = "c:\\";
    return WithTrailingBackslash(dir);
}

std::int32_t FindArchiveStart(const std::string& fileName) {
    std::unique_ptr<platform::Stream> stream;
    try {
        stream = platform::OpenFile(fileName, platform::OpenMode::ReadDenyWrite);
    } catch (const platform::PlatformError& e) {
        throw Exception(platform::SystemErrorMessage(e.Code()) + Format(" (%s)", fileName));
    }
    return FindArchiveStart(*stream);
}

namespace {

constexpr const char* kVersionKeys[] = {"CompanyName",  "FileDescription", "FileVersion",
                                        "InternalName", "LegalCopyright",  "OriginalFileName",
                                        "ProductName",  "ProductVersion",  "Author",
                                        "Comment",      "SFXCodeSize",     "TagInfoSize"};

// Version-resource queries ignore case, as the platform's query does.
const std::map<std::string, std::string>* FindTable(const platform::VersionInfo& info,
                                                    const std::string& name) {
    for (const auto& [key, table] : info.strings)
        if (platform::EqualsIgnoreCaseAscii(key, name)) return &table;
    return nullptr;
}

const std::string* FindValue(const std::map<std::string, std::string>& table,
                             const std::string& name) {
    for (const auto& [key, value] : table)
        if (platform::EqualsIgnoreCaseAscii(key, name)) return &value;
    return nullptr;
}

std::int32_t ToInt(const std::string& text) {
    std::int32_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() ? value : 0;
}

} // namespace

VersionStrings ReadVersionStrings(const std::string& fileName) {
    VersionStrings list;
    auto info = platform::ReadVersionInfo(fileName);
    if (!info || info->translations.empty()) return list;
    auto [language, codePage] = info->translations.front();
    char translation[9];
    std::snprintf(translation, sizeof translation, "%04X%04X", language, codePage);
    const auto* table = FindTable(*info, translation);
    if (!table) return list;
    for (const char* key : kVersionKeys)
        if (const std::string* value = FindValue(*table, key)) list.emplace_back(key, *value);
    return list;
}

std::string VersionString(const VersionStrings& strings, const std::string& key) {
    for (const auto& [name, value] : strings)
        if (name == key) return value;
    return {};
}

TCustomSFXGenerator::TCustomSFXGenerator() = default;

void TCustomSFXGenerator::ReadInfo(const std::string& fileName) {
    if (!platform::FileExists(fileName)) {
        sfxCodeSize_ = DefaultSFXCodeSize;
        tagInfoSize_ = DefaultTagInfoSize;
        return;
    }
    VersionStrings strings = ReadVersionStrings(fileName);
    sfxCodeSize_ = ToInt(VersionString(strings, "SFXCodeSize"));
    tagInfoSize_ = ToInt(VersionString(strings, "TagInfoSize"));
}

std::int32_t TCustomSFXGenerator::ArchiveStart() const {
    const std::int64_t sum = static_cast<std::int64_t>(sfxCodeSize_) + tagInfoSize_;
    return sum < 0 || sum > INT32_MAX ? 0 : static_cast<std::int32_t>(sum);
}

} // namespace vexo::archive
