// FolderBrowser.cpp - the browsers that need no window.
#include "environment/FolderBrowser.h"

#include "environment/PathText.h"
#include "platform/Encoding.h"

#include <istream>
#include <ostream>

namespace vexo::environment {

std::string BrowseTitle() {
    return W1252("Selecciona el Directorio de Instalación");
}

bool NoFolderBrowser::BrowseForFolder(void*, std::string&, std::string_view, bool) {
    return false;
}

bool ConsoleFolderBrowser::BrowseForFolder(void*, std::string& path, std::string_view title, bool) {
    out_ << platform::Cp1252ToUtf8(title) << "\n[" << platform::Cp1252ToUtf8(path) << "] "
         << std::flush;
    std::string line;
    if (!std::getline(in_, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) return false;
    path = CutPath(platform::Utf8ToCp1252(line));
    return true;
}

} // namespace vexo::environment
