// Report.h - what a vexo-env command found, printed as plain lines or as one JSON object.
#pragma once

#include "common/Json.h"
#include <ostream>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vexo::tools {

class Report {
  public:
    /// Adds a text field; `cp1252` is the system's Windows-1252 text, printed as UTF-8.
    void Text(std::string_view name, std::string_view cp1252);
    void Flag(std::string_view name, bool value);
    /// A number printed as it is written (for example "10.05").
    void Number(std::string_view name, std::string_view literal);

    void PrintPlain(std::ostream& out) const;
    void PrintJson(std::ostream& out) const;

  private:
    struct NumberLiteral {
        std::string text;
    };
    using Value = std::variant<std::string, bool, NumberLiteral>;
    std::vector<std::pair<std::string, Value>> fields_;
};

} // namespace vexo::tools
