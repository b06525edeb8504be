// ShellDifferentialTest.cpp - the shared shell parsers against Windows' own services, case by case.
//
// Windows build only. Each table row goes through both sides: a link written by IShellLinkW is
// read by ParseShellLink and one made by BuildShellLink is read by IShellLinkW; INI text goes
// through ProfileStringFromText and GetPrivateProfileStringW; PE files through ParseVersionInfo
// and GetFileVersionInfoW. Where Wine's services answer less than Windows' own, the row says so.
#include "ProfileCases.h"
#include "platform/Encoding.h"
#include "platform/Error.h"
#include "platform/ScopedTestPrefix.h"
#include "platform/Shell.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <optional>

using namespace vexo::platform;
namespace fs = std::filesystem;
// The shell's headers name a coclass ShellLink too.
using Link = vexo::platform::ShellLink;

namespace {

bool UnderWine() {
    return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

std::wstring Wide(const std::string& cp1252) {
    std::wstring out(cp1252.size(), L'\0');
    const int n = ::MultiByteToWideChar(1252, 0, cp1252.data(), static_cast<int>(cp1252.size()),
                                        out.data(), static_cast<int>(out.size()));
    out.resize(static_cast<std::size_t>(n));
    return out;
}

std::string Narrow1252(const wchar_t* wide) {
    const int n =
        ::WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, wide, -1, out.data(), n, nullptr, nullptr);
    if (!out.empty()) out.pop_back();
    return out;
}

fs::path HostFile(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteBytes(const fs::path& path, const void* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// Owns a COM interface for the duration of one test step.
template <typename T> struct Com {
    T* p = nullptr;
    ~Com() {
        if (p) p->Release();
    }
    T* operator->() const { return p; }
    void** Slot() { return reinterpret_cast<void**>(&p); }
};

struct ComThread {
    HRESULT result = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ~ComThread() {
        if (SUCCEEDED(result)) ::CoUninitialize();
    }
};

// The shell's own writer and reader, called directly.
void ShellWrite(const fs::path& file, const Link& link) {
    ComThread com;
    Com<IShellLinkW> shell;
    Com<IPersistFile> persist;
    ASSERT_HRESULT_SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                                IID_IShellLinkW, shell.Slot()));
    ASSERT_HRESULT_SUCCEEDED(shell->QueryInterface(IID_IPersistFile, persist.Slot()));
    ASSERT_HRESULT_SUCCEEDED(shell->SetPath(Wide(link.target).c_str()));
    if (!link.workingDirectory.empty()) {
        ASSERT_HRESULT_SUCCEEDED(shell->SetWorkingDirectory(Wide(link.workingDirectory).c_str()));
    }
    if (!link.description.empty()) {
        ASSERT_HRESULT_SUCCEEDED(shell->SetDescription(Wide(link.description).c_str()));
    }
    ASSERT_HRESULT_SUCCEEDED(persist->Save(file.wstring().c_str(), TRUE));
}

std::optional<Link> ShellRead(const fs::path& file) {
    ComThread com;
    Com<IShellLinkW> shell;
    Com<IPersistFile> persist;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  shell.Slot())) ||
        FAILED(shell->QueryInterface(IID_IPersistFile, persist.Slot())) ||
        FAILED(persist->Load(file.wstring().c_str(), STGM_READ)))
        return std::nullopt;
    Link link;
    wchar_t buffer[INFOTIPSIZE] = {};
    if (SUCCEEDED(shell->GetPath(buffer, MAX_PATH, nullptr, 0))) link.target = Narrow1252(buffer);
    buffer[0] = 0;
    if (SUCCEEDED(shell->GetPath(buffer, MAX_PATH, nullptr, SLGP_UNCPRIORITY)))
        link.networkTarget = Narrow1252(buffer);
    buffer[0] = 0;
    if (SUCCEEDED(shell->GetWorkingDirectory(buffer, MAX_PATH)))
        link.workingDirectory = Narrow1252(buffer);
    buffer[0] = 0;
    if (SUCCEEDED(shell->GetDescription(buffer, INFOTIPSIZE)))
        link.description = Narrow1252(buffer);
    return link;
}

struct LinkCase {
    const char* what;
    Link link;
};

std::vector<LinkCase> LinkCases() {
    return {
        {"program with its folder and a description",
         {"C:\\VEXO\\DALVO\\Programa\\DALVO.EXE", "C:\\VEXO\\DALVO\\Programa\\",
          W1252("Los Programas Vexo están especialmente diseñados para no causar ningún daño")}},
        {"no working directory, no description", {W1252("D:\\Nóminas\\X.EXE"), "", ""}},
        {"accented folders",
         {W1252("C:\\VEXO\\DALVO\\Asientos Nóminas\\DALVO.EXE"),
          W1252("C:\\VEXO\\DALVO\\Asientos Nóminas\\"), W1252("Nóminas")}},
        {"high Windows-1252 letters",
         {W1252("C:\\Año €\\ÿ.EXE"), W1252("C:\\Año €"), W1252("Precio en € — «ÿ»")}},
        {"working directory without backslash", {"C:\\A\\B.EXE", "C:\\A", "B"}},
        {"a target on a drive that is not there", {"Q:\\SETUP.EXE", "Q:\\", "Instalar"}},
        {"long description", {"C:\\X.EXE", "C:\\", std::string(1000, 'd')}},
        {"deep path",
         {"C:\\Archivos de programa\\Vexo Informatica\\Dalvo 10\\Programa\\Utilidades\\"
          "Copias de seguridad\\COPIAS.EXE",
          "C:\\Archivos de programa\\Vexo Informatica\\Dalvo 10\\Programa\\Utilidades\\", ""}},
    };
}

} // namespace

// IShellLinkW writes, ParseShellLink reads.
TEST(ShellDifferential, LinksWrittenByTheShellParse) {
    ScopedTestPrefix prefix;
    int row = 0;
    for (const auto& c : LinkCases()) {
        const fs::path file =
            HostFile(prefix.Host("drive_c/shell" + std::to_string(row++) + ".lnk"));
        ShellWrite(file, c.link);
        const auto bytes = ReadBytes(file);
        const auto parsed = ParseShellLink(bytes.data(), bytes.size());
        ASSERT_TRUE(parsed) << c.what;
        EXPECT_EQ(parsed->target, c.link.target) << c.what;
        EXPECT_EQ(parsed->workingDirectory, c.link.workingDirectory) << c.what;
        EXPECT_EQ(parsed->description, c.link.description) << c.what;
        EXPECT_EQ(parsed->networkTarget, "") << c.what;
    }
}

// BuildShellLink writes, IShellLinkW reads.
TEST(ShellDifferential, LinksBuiltByUsLoadInTheShell) {
    ScopedTestPrefix prefix;
    int row = 0;
    for (const auto& c : LinkCases()) {
        const fs::path file =
            HostFile(prefix.Host("drive_c/built" + std::to_string(row++) + ".lnk"));
        const auto bytes = BuildShellLink(c.link);
        WriteBytes(file, bytes.data(), bytes.size());
        const auto read = ShellRead(file);
        ASSERT_TRUE(read) << c.what;
        EXPECT_EQ(read->target, c.link.target) << c.what;
        EXPECT_EQ(read->networkTarget, c.link.target) << c.what; // no network form
        EXPECT_EQ(read->workingDirectory, c.link.workingDirectory) << c.what;
        EXPECT_EQ(read->description, c.link.description) << c.what;
    }
}

// A link to an existing file: the shell stores its item ID list and attributes as well.
TEST(ShellDifferential, LinkToAnExistingFileParses) {
    ScopedTestPrefix prefix;
    wchar_t self[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    const Link link{Narrow1252(self), "", ""};
    const fs::path file = HostFile(prefix.Host("drive_c/self.lnk"));
    ShellWrite(file, link);
    const auto bytes = ReadBytes(file);
    const auto parsed = ParseShellLink(bytes.data(), bytes.size());
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(EqualsIgnoreCaseAscii(parsed->target, link.target)) << parsed->target;
}

// Links from the independent writer of tests/data/lnk: forms neither of our writers makes.
TEST(ShellDifferential, FixtureLinks) {
    struct Case {
        const char* fixture;
        std::string target, networkTarget, workingDirectory, description;
        // What Wine's shell answers for the target where it falls short of Windows (nullptr:
        // as Windows): it converts no item ID list without link info, and it leaves the link
        // info's common path suffix off.
        const char* wineShellTarget;
    } cases[] = {
        {"idlist.lnk", "C:\\VEXO\\DALVO\\Programa\\DALVO.EXE", "", "C:\\VEXO\\DALVO\\Programa\\",
         "Enlace con lista de elementos", ""},
        {"unicode-net.lnk", W1252("D:\\Datos\\Asientos Nóminas\\NOM.EXE"),
         W1252("\\\\SERVIDOR\\VEXO\\Asientos Nóminas\\NOM.EXE"), "D:\\Datos\\",
         W1252("Asientos Nóminas"), "D:\\Datos\\"},
    };
    ScopedTestPrefix prefix;
    for (const auto& c : cases) {
        const std::string source = std::string(VEXO_TEST_DATA_DIR "/lnk/") + c.fixture;
        const auto bytes = ReadBytes(HostFile(source));
        const auto parsed = ParseShellLink(bytes.data(), bytes.size());
        ASSERT_TRUE(parsed) << c.fixture;
        EXPECT_EQ(parsed->target, c.target) << c.fixture;
        EXPECT_EQ(parsed->networkTarget, c.networkTarget) << c.fixture;

        const auto shell = ShellRead(HostFile(source));
        ASSERT_TRUE(shell) << c.fixture;
        EXPECT_EQ(shell->target, UnderWine() && c.wineShellTarget ? c.wineShellTarget : c.target)
            << c.fixture;
        EXPECT_EQ(shell->workingDirectory, c.workingDirectory) << c.fixture;
        EXPECT_EQ(shell->description, c.description) << c.fixture;
        EXPECT_EQ(parsed->workingDirectory, c.workingDirectory) << c.fixture;
        EXPECT_EQ(parsed->description, c.description) << c.fixture;

        // ReadShellLink answers as Windows does on both.
        fs::copy_file(HostFile(source), HostFile(prefix.Host(std::string("drive_c/") + c.fixture)));
        const auto read = ReadShellLink(std::string("C:\\") + c.fixture);
        ASSERT_TRUE(read) << c.fixture;
        EXPECT_EQ(read->target, c.target) << c.fixture;
        EXPECT_EQ(read->networkTarget, c.networkTarget) << c.fixture;
    }
}

TEST(ShellDifferential, ProfileStrings) {
    // Where GetPrivateProfileStringW answers otherwise (Wine 8's, as this run sees it); it is
    // right for the Windows build, which calls it.
    const std::map<std::string, std::string> windowsAnswers = {
        {"indented ; comment", "1"},         // a ';' line is a key like any other
        {"line without = ignored", "d"},     // a key without '=' has no value: the default
        {"spaces inside the brackets", "1"}, // the section name is trimmed inside them
    };
    const auto cases = vexo::test::ProfileRuleCases();
    ScopedTestPrefix prefix;
    int row = 0, differences = 0;
    for (const auto& c : cases) {
        // One file per row: the system keeps recently read profiles in memory.
        const std::string name = "p" + std::to_string(row++) + ".ini";
        WriteBytes(HostFile(prefix.Host("drive_c/" + name)), c.text.data(), c.text.size());
        EXPECT_EQ(ProfileStringFromText(c.text, c.section, c.key, c.def), c.expected) << c.what;
        const auto windows = windowsAnswers.find(c.what);
        differences += windows != windowsAnswers.end();
        EXPECT_EQ(ReadProfileString("C:\\" + name, c.section, c.key, c.def),
                  windows != windowsAnswers.end() ? windows->second : c.expected)
            << c.what;
    }
    EXPECT_EQ(differences, static_cast<int>(windowsAnswers.size())); // each names a row
}

namespace {

// The version resource as GetFileVersionInfoW and VerQueryValueW give it, with the names
// asked for (VerQueryValueW cannot list them).
struct SystemVersion {
    DWORD fileMS = 0, fileLS = 0, productMS = 0, productLS = 0;
    std::vector<std::pair<std::uint16_t, std::uint16_t>> translations;
    std::map<std::string, std::string> strings; // "TABLE\NAME" -> value (names upper-cased)
};

std::optional<SystemVersion> SystemVersionOf(const fs::path& file,
                                             const std::vector<std::string>& names, int& error) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(file.wstring().c_str(), &ignored);
    error = static_cast<int>(::GetLastError());
    if (size == 0) return std::nullopt;
    std::vector<std::uint8_t> block(size);
    if (!::GetFileVersionInfoW(file.wstring().c_str(), 0, size, block.data())) return std::nullopt;
    SystemVersion v;
    void* p = nullptr;
    UINT n = 0;
    if (::VerQueryValueW(block.data(), L"\\", &p, &n) && n >= sizeof(VS_FIXEDFILEINFO)) {
        const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(p);
        v.fileMS = fixed->dwFileVersionMS;
        v.fileLS = fixed->dwFileVersionLS;
        v.productMS = fixed->dwProductVersionMS;
        v.productLS = fixed->dwProductVersionLS;
    }
    if (::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &p, &n)) {
        const auto* words = static_cast<const WORD*>(p);
        for (UINT i = 0; i + 1 < n / 2; i += 2)
            v.translations.emplace_back(words[i], words[i + 1]);
    }
    for (const auto& [language, codePage] : v.translations) {
        char table[9];
        std::snprintf(table, sizeof table, "%04X%04X", language, codePage);
        for (const std::string& name : names) {
            const std::wstring query = L"\\StringFileInfo\\" + Wide(table) + L"\\" + Wide(name);
            if (::VerQueryValueW(block.data(), query.c_str(), &p, &n))
                v.strings[std::string(table) + "\\" + UpperAscii(name)] =
                    Narrow1252(static_cast<const wchar_t*>(p));
        }
    }
    return v;
}

} // namespace

TEST(ShellDifferential, VersionResources) {
    ScopedTestPrefix prefix;
    WriteBytes(HostFile(prefix.Host("drive_c/text.exe")), "MZ but nothing else", 19);
    WriteBytes(HostFile(prefix.Host("drive_c/empty.exe")), "", 0);
    const std::vector<std::uint8_t> notPe(4096, 0x41);
    WriteBytes(HostFile(prefix.Host("drive_c/letters.exe")), notPe.data(), notPe.size());
    const std::string data = VEXO_TEST_DATA_DIR "/pe/";
    struct Case {
        std::string file;
        int error; // LastError() when there is no version information
    } cases[] = {
        {data + "dalvo.exe", kErrorSuccess},
        {data + "module.dll", kErrorSuccess},
        {data + "version-10-10.dll", kErrorSuccess},
        {data + "version-10-123.dll", kErrorSuccess},
        {data + "noversion.dll", kErrorResourceTypeNotFound},
        {prefix.Host("drive_c/text.exe"), kErrorBadExeFormat},
        {prefix.Host("drive_c/empty.exe"), kErrorBadExeFormat},
        {prefix.Host("drive_c/letters.exe"), kErrorBadExeFormat},
    };
    // The names every table may hold, and those our fixtures add. VerQueryValueW ignores case,
    // as the callers of ReadVersionInfo do: both sides are compared by upper-cased name.
    const std::vector<std::string> names = {
        "Comments",     "CompanyName",    "FileDescription",  "FileVersion",
        "InternalName", "LegalCopyright", "OriginalFilename", "OriginalFileName",
        "ProductName",  "ProductVersion", "SFXCodeSize",      "Comment"};
    for (const auto& c : cases) {
        const auto bytes = ReadBytes(HostFile(c.file));
        const auto parsed = ParseVersionInfo(bytes.data(), bytes.size());
        const int parsedError = LastError();
        int systemError = 0;
        const auto system = SystemVersionOf(HostFile(c.file), names, systemError);
        ASSERT_EQ(parsed.has_value(), system.has_value()) << c.file;
        // ReadVersionInfo answers as Windows does, the error included (Wine says 1812 for each).
        const std::string copy = "C:\\copy" + std::to_string(&c - cases) + ".bin";
        fs::copy_file(HostFile(c.file), HostFile(prefix.Host("drive_c" + copy.substr(2))));
        const auto read = ReadVersionInfo(copy);
        const int readError = LastError();
        if (!parsed) {
            EXPECT_EQ(parsedError, c.error) << c.file;
            EXPECT_FALSE(read) << c.file;
            EXPECT_EQ(readError, c.error) << c.file;
            continue;
        }
        EXPECT_EQ(parsed->fileVersionMS, system->fileMS) << c.file;
        EXPECT_EQ(parsed->fileVersionLS, system->fileLS) << c.file;
        EXPECT_EQ(parsed->productVersionMS, system->productMS) << c.file;
        EXPECT_EQ(parsed->productVersionLS, system->productLS) << c.file;
        EXPECT_EQ(parsed->translations, system->translations) << c.file;
        std::map<std::string, std::string> ours;
        for (const auto& [table, strings] : parsed->strings)
            for (const auto& [name, value] : strings)
                ours[table + "\\" + UpperAscii(name)] = value;
        EXPECT_EQ(ours, system->strings) << c.file;

        ASSERT_TRUE(read) << c.file;
        EXPECT_EQ(readError, kErrorSuccess);
        EXPECT_EQ(read->fileVersionMS, parsed->fileVersionMS) << c.file;
        EXPECT_EQ(read->fileVersionLS, parsed->fileVersionLS) << c.file;
        EXPECT_EQ(read->productVersionMS, parsed->productVersionMS) << c.file;
        EXPECT_EQ(read->productVersionLS, parsed->productVersionLS) << c.file;
        EXPECT_EQ(read->translations, parsed->translations) << c.file;
        EXPECT_EQ(read->strings, parsed->strings) << c.file;
    }
}

// A program without any resource section: the module the loading tests use.
TEST(ShellDifferential, ProgramWithoutResources) {
    const auto bytes = ReadBytes(HostFile(VEXO_TEST_MODULE));
    ASSERT_FALSE(bytes.empty());
    EXPECT_FALSE(ParseVersionInfo(bytes.data(), bytes.size()));
    EXPECT_EQ(LastError(), kErrorResourceTypeNotFound);
    EXPECT_FALSE(ReadVersionInfo(VEXO_TEST_MODULE));
    EXPECT_EQ(LastError(), kErrorResourceTypeNotFound);
}
