// FolderBrowser.h - the folder browser the directory frame opens, as an interface.
//
// The window supplies the real dialog; the environment library only knows this contract, so
// console tools and tests run without a window system.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

namespace vexo::environment {

/// \returns the browser's title for the installation directory.
std::string BrowseTitle();

class FolderBrowser {
  public:
    virtual ~FolderBrowser() = default;
    /// Shows the browser owned by `owner` (a window handle, may be null), starting at `path`.
    /// `newStyle` asks for the resizable dialog with its own "new folder" button.
    /// \returns true when the user chose a folder; `path` is then replaced by the choice, and
    /// stays untouched otherwise.
    virtual bool BrowseForFolder(void* owner, std::string& path, std::string_view title,
                                 bool newStyle) = 0;
};

/// A browser for runs without a window: the user never chooses anything.
class NoFolderBrowser final : public FolderBrowser {
  public:
    bool BrowseForFolder(void* owner, std::string& path, std::string_view title,
                         bool newStyle) override;
};

/// A browser on a text console: shows the title and the current path and reads one line; an
/// empty line (or the end of input) cancels. Texts cross the console in UTF-8.
class ConsoleFolderBrowser final : public FolderBrowser {
  public:
    ConsoleFolderBrowser(std::istream& in, std::ostream& out) : in_(in), out_(out) {}
    bool BrowseForFolder(void* owner, std::string& path, std::string_view title,
                         bool newStyle) override;

  private:
    std::istream& in_;
    std::ostream& out_;
};

} // namespace vexo::environment
