#include "cli/FileBatch.h"

#include <cstdio>
#include <exception>
#include <utility>

#include "cli/Json.h"

namespace klt::cli {

int ProcessFiles(const std::vector<std::string>& sources, const std::string& key, bool asJson,
                 const std::function<std::string(const std::string&)>& process) {
    TJsonWriter json;
    json.BeginObject().Key(key).BeginArray();
    std::vector<std::pair<std::string, std::string>> errors;
    for (const std::string& source : sources) {
        try {
            const std::string path = process(source);
            json.BeginObject().Field("source", source).Field("path", path).EndObject();
            if (!asJson) {
                std::printf("%s -> %s\n", source.c_str(), path.c_str());
            }
        } catch (const std::exception& e) {
            errors.emplace_back(source, e.what());
            if (!asJson) {
                std::fprintf(stderr, "%s\n", e.what());
            }
        }
    }
    json.EndArray().Key("errors").BeginArray();
    for (const auto& [source, message] : errors) {
        json.BeginObject().Field("source", source).Field("message", message).EndObject();
    }
    json.EndArray().EndObject();
    if (asJson) {
        std::printf("%s\n", json.Text().c_str());
    }
    return errors.empty() ? 0 : 1;
}

} // namespace klt::cli
