// ExtractTool.h - the subcommands that read archives through the extractor: test and extract.
#pragma once

#include "extract/Extractor.h"

#include <string>
#include <vector>

namespace vexo::tool {

/// Points `x` at the host file `path` (through the platform's mapping of host paths), with the
/// archive start of a self-extracting ".EXE" taken from its locator trailer, and an optional
/// key (UTF-8 on the command line).
void PointAt(extract::TExtractor& x, const std::string& path, const std::string* key);

/// Whether standard input and standard error are terminals.
bool OnTerminal();

int RunTest(const std::vector<std::string>& args);
int RunExtract(const std::vector<std::string>& args);

} // namespace vexo::tool
