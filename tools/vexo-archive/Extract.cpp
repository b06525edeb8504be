// Extract.cpp - "extract": restores an archive into a host directory, following its segments.
#include "ExtractTool.h"
#include "ProgressBar.h"
#include "TerminalPrompts.h"
#include "Tool.h"

#include "archive/Exceptions.h"
#include "archive/Prompts.h"
#include "platform/DisplayText.h"
#include "platform/Encoding.h"
#include "platform/HostFiles.h"
#include "platform/Interrupt.h"
#include "platform/Paths.h"

#include <cmath>
#include <iostream>
#include <map>
#include <optional>

namespace vexo::tool {
namespace {

const std::map<std::string, extract::TRestoreAction> kRestore = {
    {"overwrite", extract::raOverwrite},
    {"skip", extract::raSkip},
    {"update", extract::raUpdate},
    {"ask", extract::raAsk},
    {"existing-only", extract::raExistingOnly},
    {"update-existing", extract::raUpdateExisting},
};

const std::map<std::string, archive::TErrorAction> kOnError = {
    {"ask", archive::eaAsk}, {"continue", archive::eaContinue}, {"abort", archive::eaAbort}};

} // namespace

int RunExtract(const std::vector<std::string>& args) {
    std::string file, out;
    std::optional<std::string> key, restore, onError;
    bool junkPaths = false, absolutePaths = false, followLinks = false;
    ArchiveStartRule rule = ArchiveStartRule::Locator;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw UsageError(a + " needs a value");
            return args[++i];
        };
        if (TakeStartRuleOption(a, rule)) continue;
        if (a == "-o" || a == "--out")
            out = value();
        else if (a == "--key")
            key = value();
        else if (a == "--restore")
            restore = value();
        else if (a == "--on-error")
            onError = value();
        else if (a == "--junk-paths")
            junkPaths = true;
        else if (a == "--absolute-paths")
            absolutePaths = true;
        else if (a == "--follow-links")
            followLinks = true;
        else if (a.rfind("-", 0) == 0)
            throw UsageError("unknown option " + a);
        else if (file.empty())
            file = a;
        else
            throw UsageError("more than one archive");
    }
    if (file.empty() || out.empty()) throw UsageError("extract needs FILE and -o DIR");
    if (restore && !kRestore.count(*restore)) throw UsageError("unknown --restore " + *restore);
    if (onError && !kOnError.count(*onError)) throw UsageError("unknown --on-error " + *onError);

    // SIGINT, SIGTERM and SIGHUP end the run between blocks, the old files whole.
    platform::InterruptCatcher stopRequests;
    const bool terminal = OnTerminal();
    // Without --key the key is asked on the terminal; without a terminal the prompt is
    // refused and the run ends as cancelled.
    TerminalPrompts prompts;
    platform::PrepareForWriting();
    platform::CreateHostDirectories(out);
    extract::TExtractor x;
    const auto generator = PointAt(x, file, key ? &*key : nullptr, rule);
    x.SetExtractPath(platform::WindowsPath(platform::AbsoluteHostPath(out)));
    x.SetRestoreAction(restore    ? kRestore.at(*restore)
                       : terminal ? extract::raAsk
                                  : extract::raSkip);
    x.SetErrorAction(onError    ? kOnError.at(*onError)
                     : terminal ? archive::eaAsk
                                : archive::eaContinue);
    x.SetAllowAbsolutePaths(absolutePaths);
    // A link planted below the output folder would carry files out of it.
    x.SetFollowLinks(followLinks);
    if (junkPaths) x.SetOptions(x.Options() & ~archive::OptionBit(archive::oRestorePath));

    int failures = 0, written = 0;
    ProgressBar bar;
    // The inner archive of a solid archive, unpacked at open, is not one of the files.
    x.OnFileExtracted = [&](archive::TArchiverRoot&, const archive::TFileEntry&,
                            const std::string&) {
        if (!x.HasState(archive::sbUnpackingSolid)) ++written;
    };
    // Each failing entry gets one line; the continue prompt shows it itself when it asks.
    const bool asking = x.ErrorAction() == archive::eaAsk;
    x.OnError = [&](archive::TArchiverRoot&, const std::exception& e,
                    const archive::TFileEntry& entry, archive::TErrorAction&) {
        ++failures;
        bar.Clear();
        if (!asking)
            std::cerr << platform::DisplayText(entry.Name) << ": "
                      << platform::DisplayText(e.what()) << '\n';
    };
    if (terminal) {
        x.OnShowTiming = [&](archive::TArchiverRoot&, archive::TDateTime, archive::TDateTime left) {
            // The timer's rate is in bytes per millisecond.
            bar.Show(x.Percent(), x.ProcessedBytes(), x.Timer().Rate() * 1000.0,
                     left * 86'400'000.0);
        };
    }
    int status = 1;
    try {
        x.ExtractAll();
        status =
            x.OperationStatus() == archive::TOperationStatus::Completed && failures == 0 ? 0 : 1;
    } catch (const archive::EAbort&) {
        bar.Clear();
        if (platform::InterruptRequested()) {
            std::cerr << "interrupted (" << platform::InterruptName() << ")\n";
            return platform::InterruptExitStatus();
        }
        std::cerr << "cancelled\n";
        return 1;
    }
    bar.Clear();
    std::cerr << file << ": " << written << " files written";
    if (failures > 0) std::cerr << ", " << failures << " failed";
    std::cerr << '\n';
    return status;
}

} // namespace vexo::tool
