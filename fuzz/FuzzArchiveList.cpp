// FuzzArchiveList.cpp - archive open and listing: the locator trailer, the checked header and
// the walk over the entries (as the tool's "list" does), then the extractor's own open and
// enumeration of the same bytes.
#include "FuzzSupport.h"
#include "archive/ArchiveReader.h"
#include "archive/Format.h"
#include "archive/Messages.h"
#include "archive/TextFormat.h"
#include "extract/Extractor.h"
#include "platform/FileSystem.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

using namespace vexo;

void ListFromMemory(const std::uint8_t* data, std::size_t size) {
    platform::MemoryStream s(std::vector<std::uint8_t>(data, data + size));
    const std::int32_t start = archive::FindArchiveStart(s);
    archive::TMessages messages;
    const archive::TArchiveHeader header =
        archive::ReadCheckedHeader(s, start, "FUZZ.EXE", messages);
    const auto entries = archive::ReadSegmentEntries(s, start, header);
    // Every record the walk accepted took at least its fixed size inside the segment, with a
    // data length that is not negative.
    if (static_cast<std::int64_t>(entries.size()) * archive::kEntryFixedSize > header.EndOffset)
        __builtin_trap();
    for (const auto& e : entries)
        if (e.PieceStoredSize < 0) __builtin_trap();
}

void EnumerateWithExtractor(const std::uint8_t* data, std::size_t size) {
    const char* name = "C:\\fuzz\\LISTA.EXE";
    {
        auto out = platform::OpenFile(name, platform::OpenMode::Create);
        if (size > 0) out->WriteBuffer(data, size);
    }
    extract::TExtractor x;
    x.SetErrorAction(archive::eaContinue);
    x.SetFileName(name);
    {
        platform::MemoryStream s(std::vector<std::uint8_t>(data, data + size));
        x.SetSFXCodeSize(archive::FindArchiveStart(s));
    }
    int seen = 0;
    x.OnEnumeration = [&](archive::TArchiverRoot&, const archive::TFileEntry&) { ++seen; };
    x.Open();
    x.EnumerateArchive();
    // The test run decodes every entry: one it passes had its first piece inside FileSize and
    // decoding to its PieceSize; one that breaks that contract must be reported.
    std::vector<archive::TFileEntry> tested;
    int failed = 0;
    x.OnDisplayMessage = [&](archive::TArchiverRoot& sender, const std::string& text) {
        const archive::TFileEntry& e = sender.CurrentEntry();
        if (text == archive::Format(x.Messages().CheckingFile, e.Name, e.FileSize))
            tested.push_back(e);
    };
    x.TestArchive([&](const archive::TFileEntry&, const std::exception&) { ++failed; });
    if (x.OperationStatus() == archive::TOperationStatus::Completed) {
        int broken = 0;
        for (const auto& e : tested) {
            if ((e.Flags & archive::kEntryFolder) != 0) continue;
            const std::int64_t end = std::int64_t{e.StartPosition} + e.PieceSize;
            if (e.StartPosition < 0 || e.PieceSize < 0 || end > e.FileSize) ++broken;
        }
        if (broken > failed) __builtin_trap();
    }
    x.Close();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::FuzzPrefix prefix;
    fuzz::Tolerating([&] { ListFromMemory(data, size); });
    fuzz::Tolerating([&] { EnumerateWithExtractor(data, size); });
    return 0;
}
