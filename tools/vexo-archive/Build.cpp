// Build.cpp - "build": packs a directory or a manifest into an archive or a self-extracting file.
#include "OptionNumbers.h"
#include "ProgressBar.h"
#include "Tool.h"

#include "archive/ArchiveReader.h"
#include "archive/ArchiveWriter.h"
#include "archive/DateTime.h"
#include "archive/Exceptions.h"
#include "archive/Messages.h"
#include "archive/PackageValues.h"
#include "archive/Real48.h"
#include "archive/SFXStubInfo.h"
#include "archive/SegmentedArchiveWriter.h"
#include "archive/TextFormat.h"
#include "extract/PayloadEncryptor.h"
#include "extract/SecureWipe.h"
#include "platform/Encoding.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/HostFiles.h"
#include "platform/Interrupt.h"
#include "platform/Paths.h"
#include "platform/ReplacingFile.h"
#include "platform/TemporaryFiles.h"
#include "platform/Terminal.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <limits>
#include <optional>
#include <random>
#include <sstream>

namespace vexo::tool {
namespace {

using platform::HostFileType;

constexpr long long kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr long long kInt32Max = std::numeric_limits<std::int32_t>::max();

struct Item {
    std::string storedName; // Windows-1252
    std::string source;     // host path
    char rule = 'R';
    bool folder = false;
};

std::string ToStoredName(const std::string& utf8, const std::string& where) {
    std::string name = platform::Utf8ToCp1252(utf8);
    if (platform::Cp1252ToUtf8(name) != utf8)
        throw archive::Exception("Name not representable in Windows-1252: " + utf8 + " (" + where +
                                 ")");
    std::replace(name.begin(), name.end(), '/', '\\');
    return name;
}

bool IsType(const std::string& path, HostFileType type) {
    return platform::GetHostFileFacts(path).type == type;
}

std::vector<Item> ItemsFromDirectory(const std::string& root) {
    if (!IsType(root, HostFileType::Directory))
        throw archive::Exception("Not a directory: " + root);
    std::vector<Item> items;
    for (const auto& e : platform::ListHostTree(root))
        items.push_back({ToStoredName(e.relative, e.path), e.path, 'R', e.directory});
    return items;
}

std::string Trim(const std::string& s) {
    std::size_t b = s.find_first_not_of(" \t\r");
    std::size_t e = s.find_last_not_of(" \t\r");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

// One entry per line: RULE STORED\NAME [=> SOURCE]; "#" starts a comment line; a stored name
// ending in "\" is an empty folder. SOURCE is relative to the manifest's folder and defaults
// to the stored name with "/" for "\".
std::vector<Item> ItemsFromManifest(const std::string& manifest) {
    std::optional<std::string> text = platform::ReadHostFile(manifest);
    if (!text) throw archive::Exception("Cannot read the manifest " + manifest);
    std::istringstream in(*text);
    std::vector<Item> items;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        std::string where = manifest + ":" + std::to_string(number);
        line = Trim(line);
        if (line.empty() || line[0] == '#') continue;
        if (line.size() < 3 || (line[1] != ' ' && line[1] != '\t'))
            throw archive::Exception(where + ": expected \"RULE NAME [=> SOURCE]\"");
        Item item;
        item.rule = line[0];
        std::string rest = Trim(line.substr(2));
        std::string source;
        if (auto arrow = rest.find("=>"); arrow != std::string::npos) {
            source = Trim(rest.substr(arrow + 2));
            rest = Trim(rest.substr(0, arrow));
        }
        if (rest.empty()) throw archive::Exception(where + ": no stored name");
        item.folder = rest.back() == '\\' || rest.back() == '/';
        if (item.folder) rest.pop_back();
        item.storedName = ToStoredName(rest, where);
        if (source.empty()) {
            source = rest;
            std::replace(source.begin(), source.end(), '\\', '/');
        }
        item.source = platform::HostPathBeside(manifest, source);
        // A folder entry needs no source (git keeps no empty folders): it takes the
        // manifest's date then.
        if (item.folder && !IsType(item.source, HostFileType::Directory))
            item.source = manifest;
        else if (!item.folder && !IsType(item.source, HostFileType::Regular))
            throw archive::Exception(where + ": missing " + item.source);
        items.push_back(std::move(item));
    }
    return items;
}

double HostDate(const std::string& path) {
    const platform::HostTime t = platform::GetHostFileFacts(path).lastWrite;
    return archive::CivilToDateTime(
        {t.year, t.month, t.day, t.hour, t.minute, std::min(t.second, 59), 0});
}

std::int32_t HostAttributes(const std::string& path, bool folder) {
    std::int32_t attributes = folder ? 0x10 : 0x20;
    if (platform::GetHostFileFacts(path).readOnly) attributes |= 0x01;
    return attributes;
}

// The output's Windows path: its folder through the platform's mapping, its own name as it is
// given, so that a link in its place is replaced rather than followed to its target. Windows
// paths find names without regard to case: a name that would reach another file spelt
// differently (a.vxa beside A.VXA on Linux) is refused rather than replace that file.
std::string OutputWindowsPath(const std::string& out) {
    const std::string absolute = platform::AbsoluteHostPath(out);
    const std::string name = platform::HostFileName(absolute);
    archive::TMessages m;
    const std::string cannotCreate =
        archive::Format(m.CannotCreateFile, platform::Utf8ToCp1252(out));
    if (name.empty()) throw archive::EArchiver(cannotCreate);
    const std::string windowsName = platform::Utf8ToCp1252(name);
    if (platform::Cp1252ToUtf8(windowsName) != name)
        throw archive::Exception("Output name not representable in Windows-1252: " + windowsName);
    std::string folder = platform::WindowsPath(absolute.substr(0, absolute.size() - name.size()));
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    const std::string windows = folder + windowsName;
    if (const auto host = platform::HostPath(windows);
        host && platform::HostFileName(*host) != name)
        throw archive::EArchiver(cannotCreate + " (" + platform::Utf8ToCp1252(*host) +
                                 " differs only in case)");
    return windows;
}

// The output file, written beside its name and put in its place only once it is complete: a
// build that fails or is stopped leaves the previous file whole and no temporary file.
class OutputFile {
  public:
    explicit OutputFile(const std::string& out) : out_(out) {
        try {
            file_.emplace(OutputWindowsPath(out));
        } catch (const platform::PlatformError&) {
            Fail();
        }
    }
    platform::Stream& Stream() { return file_->Stream(); }
    void Commit() {
        platform::TestPausePoint("build-commit");
        if (platform::InterruptRequested()) throw archive::EAbort();
        if (!file_->Commit()) Fail();
    }

  private:
    [[noreturn]] void Fail() const {
        archive::TMessages m;
        throw archive::EArchiver(archive::Format(m.CannotCreateFile, platform::Utf8ToCp1252(out_)));
    }

    std::string out_;
    std::optional<platform::ReplacingFile> file_;
};

// The inner archive of a solid build: a temporary file beside the output, created as the
// output's own is and removed on every way out.
class ScratchFile {
  public:
    explicit ScratchFile(const std::string& out)
        : file_(platform::CreateTemporaryBeside(OutputWindowsPath(out))) {}
    ~ScratchFile() {
        file_.stream.reset();
        platform::DeleteFile(file_.path);
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    platform::Stream& Stream() { return *file_.stream; }
    std::string HostPath() const { return platform::HostPath(file_.path).value_or(file_.path); }

  private:
    platform::TemporaryFile file_;
};

// Encryption is only worth its name with a key the cipher uses: shorter or longer keys would
// be replaced by none, and every entry flagged encrypted would open without any key.
archive::PayloadEncoder EncryptorFor(const std::string& utf8) {
    extract::SecretText key(platform::Utf8ToCp1252(utf8));
    if (platform::Cp1252ToUtf8(std::string(key.View())) != utf8)
        throw UsageError("--key must be Windows-1252 text");
    if (!extract::IsEffectiveCipherKey(key.View()))
        throw UsageError("--key needs 8 to 65 characters: the cipher ignores shorter and longer "
                         "keys, which would leave the entries unprotected");
    return extract::MakePayloadEncryptor(key.View());
}

int Build(const std::string& out, const std::string& stub, long long tagSize,
          std::optional<long long> segmentSize, bool solid, const std::vector<Item>& items,
          archive::ArchiveWriterOptions& options);

} // namespace

int RunBuild(const std::vector<std::string>& args) {
    std::string out, stub, manifest, dir, comment, productCode;
    long long tagSize = 0, level = archive::kDefaultCompressionLevel, threads = 0;
    std::optional<long long> archiveId, segmentSize;
    std::optional<std::string> key;
    bool solid = false;
    archive::ArchiveWriterOptions options;
    archive::PackageValues package;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw UsageError(a + " needs a value");
            return args[++i];
        };
        if (a == "--out")
            out = value();
        else if (a == "--stub")
            stub = value();
        else if (a == "--tag-size")
            tagSize = ParseInteger(a, value(), 0, kInt32Max);
        else if (a == "--block-size")
            options.BlockSize = static_cast<std::int32_t>(ParseInteger(
                a, value(), archive::kMinWriterBlockSize, archive::kMaxHeaderBlockSize));
        else if (a == "--store")
            options.Store = true;
        else if (a == "--level")
            level = ParseInteger(a, value(), archive::kMinCompressionLevel,
                                 archive::kMaxCompressionLevel);
        else if (a == "--threads")
            threads = ParseInteger(a, value(), 0, 256);
        else if (a == "--comment")
            options.Comment = platform::Utf8ToCp1252(value());
        else if (a == "--package-version")
            package.PackageVersion = archive::DoubleToReal48(ParseReal48(a, value()));
        else if (a == "--package-code")
            package.PackageCode =
                static_cast<std::int32_t>(ParseInteger(a, value(), kInt32Min, kInt32Max));
        else if (a == "--package-date")
            package.PackageDate = archive::EncodePackageDate(ParsePackageDate(a, value()));
        else if (a == "--product-code")
            package.ProductCode = platform::Utf8ToCp1252(value());
        else if (a == "--archive-id")
            archiveId = ParseInteger(a, value(), kInt32Min, kInt32Max);
        else if (a == "--segment-size")
            segmentSize = ParseInteger(a, value(), 1, kInt32Max);
        else if (a == "--manifest")
            manifest = value();
        else if (a == "--key")
            key = value();
        else if (a == "--keep-key")
            options.KeepKey = true;
        else if (a == "--solid")
            solid = true;
        else if (a.rfind("--", 0) == 0)
            throw UsageError("unknown option " + a);
        else if (dir.empty())
            dir = a;
        else
            throw UsageError("more than one source directory");
    }
    if (out.empty()) throw UsageError("--out is required");
    if (manifest.empty() == dir.empty()) throw UsageError("give either --manifest MANIFEST or DIR");
    options.CompressionLevel = static_cast<int>(level);
    options.Threads = static_cast<int>(threads);
    if (stub.empty() && tagSize != 0) throw UsageError("--tag-size needs --stub");
    if (tagSize != 0 && tagSize < static_cast<long long>(archive::MakeTagBlock(0).size()))
        throw UsageError("--tag-size must be 0 or at least " +
                         std::to_string(archive::MakeTagBlock(0).size()) +
                         " (the tag block's texts), not " + std::to_string(tagSize));
    if (segmentSize && !stub.empty()) throw UsageError("--segment-size cannot be used with --stub");
    // A segment holds at least its header, one entry record and one block.
    if (const long long least = archive::SmallestSegment(options.Comment);
        segmentSize && *segmentSize < least)
        throw UsageError("--segment-size must be at least " + std::to_string(least) +
                         " (a header, an entry and a block), not " + std::to_string(*segmentSize));
    if (options.KeepKey && !key) throw UsageError("--keep-key needs --key");
    if (key) options.Encrypt = EncryptorFor(*key);

    std::vector<Item> items =
        manifest.empty() ? ItemsFromDirectory(dir) : ItemsFromManifest(manifest);
    // Names the writer would refuse stop the build before any output file is made.
    for (const Item& item : items)
        archive::CheckStoredName(item.storedName);
    std::random_device random;
    options.ArchiveID = static_cast<std::int32_t>(archiveId ? *archiveId : random() & 0x7FFFFFFF);
    archive::TArchiveHeader scratch;
    archive::WritePackageValues(scratch, package);
    options.ApplicationArea = scratch.ApplicationArea;
    options.UserData = scratch.UserData;

    // SIGINT, SIGTERM and SIGHUP end the build between blocks, the previous output whole.
    platform::InterruptCatcher stopRequests;
    try {
        return Build(out, stub, tagSize, segmentSize, solid, items, options);
    } catch (const archive::EAbort&) {
        if (!platform::InterruptRequested()) throw;
        std::cerr << "interrupted (" << platform::InterruptName() << ")\n";
        return platform::InterruptExitStatus();
    }
}

namespace {

int Build(const std::string& out, const std::string& stub, long long tagSize,
          std::optional<long long> segmentSize, bool solid, const std::vector<Item>& items,
          archive::ArchiveWriterOptions& options) {
    // On a terminal the line of progress follows the file bytes of each pass.
    const bool terminal = platform::IsTerminal(platform::StandardStream::Error);
    std::optional<ByteProgress> progress;
    auto track = [&](const std::vector<std::string>& sources, std::int64_t more = 0) {
        if (!terminal) return;
        std::int64_t total = more;
        for (const auto& source : sources)
            total += OpenInput(source)->Size();
        progress.emplace(total);
        options.Progress = [&progress](std::int64_t bytes) { progress->Add(bytes); };
    };
    auto untrack = [&] {
        progress.reset();
        options.Progress = nullptr;
    };
    std::vector<std::string> sources;
    for (const auto& item : items)
        if (!item.folder) sources.push_back(item.source);

    auto addItems = [&](auto& writer) {
        for (const auto& item : items) {
            double date = HostDate(item.source);
            std::int32_t attributes = item.folder ? 0x10 : HostAttributes(item.source, false);
            if (item.folder) {
                writer.AddFolder(item.storedName, date, attributes, item.rule);
            } else {
                auto data = OpenInput(item.source);
                writer.AddFile(item.storedName, date, attributes, item.rule, *data);
            }
        }
    };

    // A solid build writes the ordinary archive first, then wraps it as the single entry of
    // the outer archive. The entries inside are the encrypted ones; the wrapper is not, so
    // the key is asked once, when the entries are extracted.
    std::optional<ScratchFile> inner;
    const std::size_t entries = items.size();
    if (solid) {
        inner.emplace(out);
        track(sources);
        {
            archive::ArchiveWriter writer(inner->Stream(), options);
            addItems(writer);
            writer.Finish();
        }
        untrack();
        options.Encrypt = nullptr;
        options.Solid = true;
        sources.clear();
    }
    track(sources, inner ? inner->Stream().Size() : 0);
    auto fill = [&](auto& writer) {
        if (!inner) return addItems(writer);
        inner->Stream().SetPosition(0);
        writer.AddFile(ToStoredName(platform::HostFileName(out), out), HostDate(inner->HostPath()),
                       0x20, 'R', inner->Stream());
    };
    const char* kind = solid ? " entries in a solid archive" : " entries";

    if (segmentSize) {
        // Segment files are named from the output name through the platform's path mapping.
        archive::SegmentedArchiveWriter writer(OutputWindowsPath(out), options, *segmentSize);
        fill(writer);
        writer.Finish();
        untrack();
        std::cerr << out << ": " << entries << kind << ", " << writer.SegmentNames().size()
                  << " segments\n";
        return 0;
    }

    OutputFile output(out);
    platform::Stream* file = &output.Stream();
    std::int64_t start = 0;
    if (!stub.empty()) {
        auto image = OpenInput(stub);
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(image->Size()));
        image->ReadBuffer(bytes.data(), bytes.size());
        if (tagSize > INT32_MAX - static_cast<long long>(bytes.size()))
            throw archive::Exception("Program image too large for the locator");
        // Size 0 is the tag block's own texts.
        const auto tag = archive::MakeTagBlock(static_cast<std::size_t>(tagSize));
        start = static_cast<std::int64_t>(bytes.size() + tag.size());
        if (start > INT32_MAX) throw archive::Exception("Program image too large for the locator");
        // A stub that has room for them in its version strings carries both sizes too.
        archive::WriteSFXSizes(bytes, static_cast<std::int32_t>(bytes.size()),
                               static_cast<std::int32_t>(tag.size()));
        file->WriteBuffer(bytes.data(), bytes.size());
        file->WriteBuffer(tag.data(), tag.size());
    }
    archive::ArchiveWriter writer(*file, options);
    fill(writer);
    const archive::TArchiveHeader& h = writer.Finish();
    untrack();
    if (!stub.empty()) archive::WriteLocator(*file, static_cast<std::int32_t>(start));
    output.Commit();
    std::cerr << out << ": " << entries << kind << ", " << h.EndOffset
              << " bytes of archive at offset " << start << '\n';
    return 0;
}

} // namespace

} // namespace vexo::tool
