// FuzzExtract.cpp - a whole extraction of the input into a throw-away prefix, with the fixed
// key for encrypted entries, continuing after every damaged entry as an unattended run would.
#include "FuzzSupport.h"
#include "archive/ArchiverRoot.h"
#include "archive/FileRoutines.h"
#include "archive/Format.h"
#include "archive/PathRoutines.h"
#include "extract/Extractor.h"
#include "platform/FileSystem.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace vexo;

void Extract(const std::uint8_t* data, std::size_t size, bool restorePath) {
    const char* name = "C:\\fuzz\\PAQUETE.EXE";
    {
        auto out = platform::OpenFile(name, platform::OpenMode::Create);
        if (size > 0) out->WriteBuffer(data, size);
    }
    extract::TExtractor x;
    x.SetErrorAction(archive::eaContinue);
    x.SetRestoreAction(extract::raOverwrite);
    x.SetAllowAbsolutePaths(false);
    archive::TOptions options = x.Options();
    options = restorePath ? options | archive::OptionBit(archive::oRestorePath)
                          : options & ~archive::OptionBit(archive::oRestorePath);
    x.SetOptions(options);
    x.OnRequestCryptKey = [](archive::TArchiverRoot&, std::string& key) { key = fuzz::kFuzzKey; };
    x.SetFileName(name);
    {
        platform::MemoryStream s(std::vector<std::uint8_t>(data, data + size));
        x.SetSFXCodeSize(archive::FindArchiveStart(s));
    }
    x.SetExtractPath("C:\\out");
    // The size contract: a file is only ever written whole, with exactly its declared size (a
    // file extracted from its start) and never more (a piece placed inside one).
    x.OnFileExtracted = [](archive::TArchiverRoot&, const archive::TFileEntry& entry,
                           const std::string& folder) {
        const std::string path = folder + archive::ExtractFileName(entry.Name);
        // A solid archive's inner file goes to a temporary name of its own.
        if (!platform::FileExists(path)) return;
        const std::int64_t size = archive::GetFileSize(path);
        if (size > entry.FileSize || (entry.StartPosition == 0 && size != entry.FileSize))
            __builtin_trap();
    };
    x.Open();
    x.ExtractAll();
    // A run that continued past every damaged entry ends completed or failed: never idle, never
    // aborted.
    archive::TOperationStatus status = x.OperationStatus();
    if (status != archive::TOperationStatus::Completed &&
        status != archive::TOperationStatus::RunningOrFailed)
        __builtin_trap();
    x.Close();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::FuzzPrefix prefix;
    // The last byte picks whether stored directories are kept, so both ways of placing a file
    // are reached without changing the layout of the archive in front of it.
    const bool restorePath = size == 0 || (data[size - 1] & 1) == 0;
    prefix.Clean();
    fuzz::Tolerating([&] { Extract(data, size, restorePath); });
    return 0;
}
