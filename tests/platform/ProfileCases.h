// ProfileCases.h - private-profile texts, one row per rule, and the value each gives.
#pragma once

#include <string>
#include <vector>

namespace vexo::test {

struct ProfileCase {
    const char* what;
    std::string text;
    const char* section;
    const char* key;
    const char* def;
    std::string expected;
};

/// The rules of GetPrivateProfileStringA as the shared reader implements them.
inline std::vector<ProfileCase> ProfileRuleCases() {
    const std::string longValue(5000, 'x');
    const std::string veryLong(40000, 'y');
    return {
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
        {"indented ; comment", "[S]\n   ;K=1\n", "S", ";K", "d", "d"},
        {"section up to last ]", "[A]B]\nK=1\n", "A]B", "K", "d", "1"},
        {"text after the last ] ignored", "[S] trailing\nK=1\n", "S", "K", "d", "1"},
        {"colon not a separator", "[S]\nC:\\a=b\n", "S", "C:\\a", "d", "b"},
        {"first = splits", "[S]\nK=a=b\n", "S", "K", "d", "a=b"},
        {"first matching key wins", "[S]\nK=1\nk=2\n", "S", "K", "d", "1"},
        {"only the first section", "[S]\nA=1\n[T]\n[s]\nK=2\n", "S", "K", "d", "d"},
        {"later other section not read", "[S]\nA=1\n[T]\nK=3\n", "S", "K", "d", "d"},
        {"line without = ignored", "[S]\nK\nK=1\n", "S", "K", "d", "1"},
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
        {"spaces inside the key", "[S]\nmy key = 1\n", "S", "MY KEY", "d", "1"},
        {"spaces inside the section", "[Mi Empresa]\nK=1\n", "mi empresa", "K", "d", "1"},
        {"spaces inside the brackets", "[ S ]\nK=1\n", "S", "K", "d", "d"},
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
}

} // namespace vexo::test
