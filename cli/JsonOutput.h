#pragma once
// The tool's JSON (nlohmann-json): objects keep their keys in the order they were set, since
// scripts and people read them so.
#include <string>

#include <nlohmann/json.hpp>

namespace klt::cli {

using TJson = nlohmann::ordered_json;

// The document on one line, ending with a newline. Text that is no valid UTF-8 (file names may
// hold any bytes) gets U+FFFD in place of each invalid byte, so the output always parses.
std::string JsonLine(const TJson& json);

// JsonLine on standard output.
void PrintJson(const TJson& json);

} // namespace klt::cli
