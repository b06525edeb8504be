// ExtractTool.h - the subcommands that read archives through the extractor: test and extract.
#pragma once

#include "Tool.h"
#include "extract/Extractor.h"

#include <memory>
#include <string>
#include <vector>

namespace vexo::tool {

/// Points `x` at the host file `path` (through the platform's mapping of host paths), with the
/// archive start of a self-extracting ".EXE" found by `rule` (the version strings through the
/// extractor's SFXGenerator), and an optional key (UTF-8 on the command line). \returns that
/// generator, or null: the extractor does not own it, so the caller keeps it while using `x`.
[[nodiscard]] std::shared_ptr<archive::TCustomSFXGenerator> PointAt(extract::TExtractor& x,
                                                                    const std::string& path,
                                                                    const std::string* key,
                                                                    ArchiveStartRule rule);

/// Whether standard input and standard error are terminals.
bool OnTerminal();

int RunTest(const std::vector<std::string>& args);
int RunExtract(const std::vector<std::string>& args);

} // namespace vexo::tool
