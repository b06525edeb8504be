// Test.cpp - "test": reads and checks every block of every entry, writing nothing.
#include "ExtractTool.h"
#include "TerminalPrompts.h"
#include "Tool.h"

#include "archive/Exceptions.h"
#include "archive/Format.h"
#include "archive/PathRoutines.h"
#include "platform/DisplayText.h"
#include "platform/Encoding.h"
#include "platform/FileSystem.h"
#include "platform/HostFiles.h"
#include "platform/Paths.h"
#include "platform/Terminal.h"

#include <iostream>
#include <optional>

namespace vexo::tool {

bool OnTerminal() {
    return platform::IsTerminal(platform::StandardStream::Input) &&
           platform::IsTerminal(platform::StandardStream::Error);
}

std::shared_ptr<archive::TCustomSFXGenerator> PointAt(extract::TExtractor& x,
                                                      const std::string& path,
                                                      const std::string* key,
                                                      ArchiveStartRule rule) {
    if (platform::GetHostFileFacts(path).type != platform::HostFileType::Regular)
        throw archive::Exception("No such archive: " + path);
    const std::string windows = platform::WindowsPath(platform::AbsoluteHostPath(path));
    std::shared_ptr<archive::TCustomSFXGenerator> generator;
    if (rule == ArchiveStartRule::VersionStrings) {
        // The extractor reads the sizes itself each time it opens the file.
        generator = std::make_shared<archive::TCustomSFXGenerator>();
        x.SetSFXGenerator(generator);
    } else if (archive::IsExeFile(windows)) {
        auto s = platform::OpenFile(windows, platform::OpenMode::ReadShareAll);
        x.SetSFXCodeSize(archive::FindArchiveStart(*s));
    }
    x.SetFileName(windows);
    if (key != nullptr) {
        const std::string text = platform::Utf8ToCp1252(*key);
        x.OnRequestCryptKey = [text](archive::TArchiverRoot&, std::string& k) { k = text; };
    }
    return generator;
}

int RunTest(const std::vector<std::string>& args) {
    std::string file;
    std::optional<std::string> key;
    ArchiveStartRule rule = ArchiveStartRule::Locator;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (TakeStartRuleOption(args[i], rule)) continue;
        if (args[i] == "--key") {
            if (i + 1 >= args.size()) throw UsageError("--key needs a value");
            key = args[++i];
        } else if (args[i].rfind("--", 0) == 0) {
            throw UsageError("unknown option " + args[i]);
        } else if (file.empty()) {
            file = args[i];
        } else {
            throw UsageError("more than one archive");
        }
    }
    if (file.empty()) throw UsageError("test needs an archive");

    TerminalPrompts prompts;
    extract::TExtractor x;
    const auto generator = PointAt(x, file, key ? &*key : nullptr, rule);
    // Without a terminal to ask, a missing key is an empty one and shows as a wrong key.
    if (!key && !OnTerminal())
        x.OnRequestCryptKey = [](archive::TArchiverRoot&, std::string& k) { k.clear(); };
    int failures = 0, entries = 0;
    x.OnDisplayMessage = [&](archive::TArchiverRoot&, const std::string&) { ++entries; };
    try {
        x.TestArchive([&](const archive::TFileEntry& entry, const std::exception& e) {
            ++failures;
            std::cout << platform::DisplayText(entry.Name) << ": "
                      << platform::DisplayText(e.what()) << '\n';
        });
    } catch (const archive::EAbort&) {
        std::cerr << "cancelled\n";
        return 1;
    }
    std::cerr << file << ": " << entries << " entries, " << failures << " failing\n";
    return failures == 0 && x.OperationStatus() == archive::TOperationStatus::Completed ? 0 : 1;
}

} // namespace vexo::tool
