#include "cli/JsonOutput.h"

#include <cstdio>

namespace klt::cli {

std::string JsonLine(const TJson& json) {
    return json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

void PrintJson(const TJson& json) {
    const std::string text = JsonLine(json);
    std::fwrite(text.data(), 1, text.size(), stdout);
}

} // namespace klt::cli
