// ShellDifferentialTest.cpp - the shared shell parsers against Windows' own services, case by case.
//
// Windows build only. Each table row goes through both sides: a link written by IShellLinkW is
// read by ParseShellLink and one made by BuildShellLink is read by IShellLinkW; INI text goes
// through ProfileStringFromText and GetPrivateProfileStringW; PE files through ParseVersionInfo
// and GetFileVersionInfoW. Where Wine's services answer less than Windows' own, the row says so.
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
    const std::string longValue(5000, 'x');
    const std::string veryLong(40000, 'y');
    struct Case {
        const char* what;
        std::string text;
        const char* section;
        const char* key;
        const char* def;
        std::string expected;
        // GetPrivateProfileStringW's answer where it differs from ours (Windows is right for
        // the Windows build, which calls it).
        std::optional<std::string> windows = std::nullopt;
    } cases[] = {
        // The rows of ProfileTest.
        {"plain value", "[PATH]\nPATHDATOS=D:\\EMPRESAS\\DATOS\n", "PATH", "PATHDATOS", "d",
         "D:\\EMPRESAS\\DATOS"},
        {"CRLF lines", "[PATH]\r\nA=1\r\nB=2\r\n", "PATH", "B", "d", "2"},
        {"section case", "[path]\nA=1\n", "PATH", "A", "d", "1"},
        {"key case", "[PATH]\npathDatos=1\n", "PATH", "PATHDATOS", "d", "1"},
        {"spaces around =", "[PATH]\n  A   =   v w  \n", "PATH", "A", "d", "v w"},
        {"tabs and ^Z trimmed", "[PATH]\n\tA=v\t\x1A\n", "PATH", "A", "d", "v"},
        {"requested names trimmed", "[PATH]\nA=1\n", "  PATH ", " A ", "d", "1"},
        {"double quotes removed", "[S]\nK=\"C:\\Program Files\\\"\n", "S", "K", "d",
         "C:\\Program Files\\"},
        {"single quotes removed", "[S]\nK='x y'\n", "S", "K", "d", "x y"},
        {"one pair only", "[S]\nK=\"\"a\"\"\n", "S", "K", "d", "\"a\""},
        {"unmatched quote kept", "[S]\nK=\"abc\n", "S", "K", "d", "\"abc"},
        {"mixed quotes kept", "[S]\nK=\"abc'\n", "S", "K", "d", "\"abc'"},
        {"lone quote kept", "[S]\nK=\"\n", "S", "K", "d", "\""},
        {"inline ; stays", "[S]\nK=value ; comment\n", "S", "K", "d", "value ; comment"},
        {"# not special", "[S]\n#K=1\nK=#2\n", "S", "K", "d", "#2"},
        {"# key found", "[S]\n#K=1\n", "S", "#K", "d", "1"},
        {"; comment line", "[S]\n;K=1\nK=2\n", "S", "K", "d", "2"},
        // Wine's profile reader (the Windows side here) takes a ';' line as a key, a line
        // without '=' as a key without a value, and trims the section name inside brackets.
        {"indented ; comment", "[S]\n   ;K=1\n", "S", ";K", "d", "d", "1"},
        {"section up to last ]", "[A]B]\nK=1\n", "A]B", "K", "d", "1"},
        {"text after the last ] ignored", "[S] trailing\nK=1\n", "S", "K", "d", "1"},
        {"colon not a separator", "[S]\nC:\\a=b\n", "S", "C:\\a", "d", "b"},
        {"first = splits", "[S]\nK=a=b\n", "S", "K", "d", "a=b"},
        {"first matching key wins", "[S]\nK=1\nk=2\n", "S", "K", "d", "1"},
        {"only the first section", "[S]\nA=1\n[T]\n[s]\nK=2\n", "S", "K", "d", "d"},
        {"later other section not read", "[S]\nA=1\n[T]\nK=3\n", "S", "K", "d", "d"},
        {"line without = ignored", "[S]\nK\nK=1\n", "S", "K", "d", "1", "d"},
        {"indented line not a continuation", "[S]\nK=1\n  more\n", "S", "K", "d", "1"},
        {"empty value", "[S]\nK=\n", "S", "K", "d", ""},
        {"empty quoted value", "[S]\nK=\"\"\n", "S", "K", "d", ""},
        {"long line", "[S]\nK=" + longValue + "\n", "S", "K", "d", longValue},
        {"no final newline", "[S]\nK=1", "S", "K", "d", "1"},
        {"missing section", "[S]\nK=1\n", "T", "K", "def", "def"},
        {"missing key", "[S]\nK=1\n", "S", "X", "def", "def"},
        {"key before any section", "K=1\n[S]\n", "S", "K", "def", "def"},
        {"default trailing spaces cut", "", "S", "K", "C:\\VEXO  ", "C:\\VEXO"},
        {"UTF-8 mark skipped", "\xEF\xBB\xBF[S]\nK=N\xC3\xB3minas\n", "S", "K", "d", "N\xF3minas"},
        {"ANSI bytes kept", "[S]\nK=N\xF3minas\n", "S", "K", "d", "N\xF3minas"},
        {"UTF-16 mark", std::string("\xFF\xFE[\0S\0]\0\n\0K\0=\0\xF3\0\n\0", 18), "S", "K", "d",
         "\xF3"},
        // More.
        {"spaces inside the key", "[S]\nmy key = 1\n", "S", "MY KEY", "d", "1"},
        {"spaces inside the section", "[Mi Empresa]\nK=1\n", "mi empresa", "K", "d", "1"},
        {"spaces inside the brackets", "[ S ]\nK=1\n", "S", "K", "d", "d", "1"},
        {"quoted value keeps inner spaces", "[S]\nK=\" a \"\n", "S", "K", "d", " a "},
        {"quotes after trimming", "[S]\nK=  'a b'  \n", "S", "K", "d", "a b"},
        {"tab inside the value", "[S]\nK=a\tb\n", "S", "K", "d", "a\tb"},
        {"value holding brackets", "[S]\nK=[x]\n", "S", "K", "d", "[x]"},
        {"empty name before =", "[S]\n=1\nK=2\n", "S", "K", "d", "2"},
        {"spaces after the section", "[S]   \nK=1\n", "S", "K", "d", "1"},
        {"ANSI section and key", "[Configuraci\xF3n]\nA\xF1o=2024\n", "configuraci\xF3n", "A\xF1o",
         "d", "2024"},
        {"UTF-16 accented value",
         std::string("\xFF\xFE[\0S\0]\0\r\0\n\0K\0=\0N\0\xF3\0\r\0\n\0", 24), "S", "K", "d",
         "N\xF3"},
        {"very long value", "[S]\nK=" + veryLong + "\n", "S", "K", "d", veryLong},
        {"key in the second of two sections", "[A]\nK=1\n[B]\nK=2\n", "B", "K", "d", "2"},
        {"default kept when the key is empty", "[S]\nK=1\n", "S", "", "def", "def"},
    };
    ScopedTestPrefix prefix;
    int row = 0;
    for (const auto& c : cases) {
        // One file per row: the system keeps recently read profiles in memory.
        const std::string name = "p" + std::to_string(row++) + ".ini";
        WriteBytes(HostFile(prefix.Host("drive_c/" + name)), c.text.data(), c.text.size());
        EXPECT_EQ(ProfileStringFromText(c.text, c.section, c.key, c.def), c.expected) << c.what;
        EXPECT_EQ(ReadProfileString("C:\\" + name, c.section, c.key, c.def),
                  c.windows.value_or(c.expected))
            << c.what;
    }
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
