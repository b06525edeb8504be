// Report.cpp - plain and JSON output of a command's findings.
#include "Report.h"

#include "platform/DisplayText.h"
#include "platform/Encoding.h"

#include <cstdio>

namespace vexo::tools {

void Report::Text(std::string_view name, std::string_view cp1252) {
    fields_.emplace_back(std::string(name), platform::Cp1252ToUtf8(cp1252));
}

void Report::Flag(std::string_view name, bool value) {
    fields_.emplace_back(std::string(name), value);
}

void Report::Number(std::string_view name, std::string_view literal) {
    fields_.emplace_back(std::string(name), NumberLiteral{std::string(literal)});
}

void Report::PrintPlain(std::ostream& out) const {
    for (const auto& [name, value] : fields_) {
        out << name << ": ";
        if (const auto* text = std::get_if<std::string>(&value))
            out << platform::DisplayUtf8(*text); // names from shortcuts and files, escaped
        else if (const auto* flag = std::get_if<bool>(&value))
            out << (*flag ? "yes" : "no");
        else
            out << std::get<NumberLiteral>(value).text;
        out << '\n';
    }
}

void Report::PrintJson(std::ostream& out) const {
    out << '{';
    bool first = true;
    for (const auto& [name, value] : fields_) {
        out << (first ? "" : ",") << "\n  " << JsonString(name) << ": ";
        first = false;
        if (const auto* text = std::get_if<std::string>(&value))
            out << JsonString(*text);
        else if (const auto* flag = std::get_if<bool>(&value))
            out << (*flag ? "true" : "false");
        else
            out << std::get<NumberLiteral>(value).text;
    }
    out << "\n}\n";
}

} // namespace vexo::tools
