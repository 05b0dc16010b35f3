// Path texts as the wizard builds them: "%s\%s" with the platform separator.
#pragma once

#include <string>
#include <string_view>

namespace zk {

// The text after the last separator (either kind: projects made on Windows
// carry backslashes whatever the host).
inline std::string FileNamePart(std::string_view path) {
    std::size_t at = path.find_last_of("\\/");
    return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

// The text up to and including the last separator; empty when there is none.
inline std::string FolderPart(std::string_view path) {
    std::size_t at = path.find_last_of("\\/");
    return at == std::string_view::npos ? std::string() : std::string(path.substr(0, at + 1));
}

inline std::string JoinPath(std::string_view folder, char separator, std::string_view name) {
    std::string out(folder);
    out += separator;
    out += name;
    return out;
}

// The name a file is written under until it is complete, then renamed.
inline std::string PartialName(std::string_view finalPath) {
    return std::string(finalPath) + ".partial";
}

}  // namespace zk
