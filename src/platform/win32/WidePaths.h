// WidePaths.h - internal to the Win32 platform layer: texts and paths at the W calls.
//
// Every Windows path the layer is given goes through SystemPath just before its W call, and
// every path a W call answers comes back through ProgramPath. Between the two sits the test
// prefix: with VEXO_PREFIX set, the folder $VEXO_PREFIX\drive_c stands in for drive C:, so a
// test keeps its C:\ paths on a drive of its own. Without VEXO_PREFIX nothing is mapped.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace vexo::platform::win32 {

/// Windows-1252 text as UTF-16.
std::wstring Widen(std::string_view cp1252);
/// UTF-16 as Windows-1252; what it cannot hold becomes '?', as the 8-bit Windows calls answer.
std::string Narrow(std::wstring_view wide);
/// UTF-8 (host paths, environment values) as UTF-16, and back.
std::wstring WidenUtf8(std::string_view utf8);
std::string NarrowUtf8(std::wstring_view wide);

/// The stand-in for drive C: ($VEXO_PREFIX\drive_c as a full path, no trailing backslash);
/// empty when VEXO_PREFIX is not set. Read once until ResetPrefix.
std::wstring DriveCStandIn();
/// Drops the stand-in read from the environment (ResetPrefix).
void ForgetStandIn();

/// The path a W call takes for the Windows path `path`: a path on drive C: (after relative
/// forms are taken against CurrentDirectory) moved into the stand-in; any other path as given.
std::wstring SystemPath(std::wstring_view path);
/// The same for a Windows-1252 path.
std::wstring SystemPath(std::string_view path);
/// A path a W call answered, as the program sees it: inside the stand-in it is "C:\..." again.
std::wstring ProgramPathWide(std::wstring_view systemPath);
/// The same, in Windows-1252.
std::string ProgramPath(std::wstring_view systemPath);

/// GetFullPathNameW: "." and "..", '/', trailing dots and spaces folded as every W call folds
/// them, relative forms taken against the system's current directory. `path` when it fails.
std::wstring FullPathName(const std::wstring& path);

/// The text of a W call that fills a buffer of the size it is given: `call(buffer, size)`
/// answers the length written, or (at least) the size it needs when the buffer is too small.
/// Empty when the call fails (it answers 0): GetLastError says why.
template <typename Call> std::wstring BufferAnswer(Call call) {
    std::wstring text(260, L'\0');
    for (;;) {
        const auto n =
            static_cast<std::size_t>(call(text.data(), static_cast<unsigned long>(text.size())));
        if (n < text.size()) {
            text.resize(n);
            return text;
        }
        text.resize(std::max(n, text.size() * 2));
    }
}

} // namespace vexo::platform::win32
