#include "wizard/project/file_name_rules.h"

#include <cctype>
#include <string>

namespace zk {
namespace {

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Windows takes "CON", "con.txt" and "Com1.log" alike for the device itself;
// what counts is the part before the first dot.
bool IsDeviceName(const std::string& name) {
    const std::string base = Upper(name.substr(0, name.find('.')));
    for (const char* device : {"CON", "PRN", "AUX", "NUL"})
        if (base == device) return true;
    return base.size() == 4 && (base.rfind("COM", 0) == 0 || base.rfind("LPT", 0) == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

}  // namespace

bool IsUsableFileName(const char* text) {
    if (!text || text[0] == '\0') return true;
    const std::string name(text);
    if (name.find_first_of("\\/:*?\"<>|") != std::string::npos) return false;
    for (char c : name)
        if (static_cast<unsigned char>(c) < 32) return false;
    // "." and ".." end in a dot too; Windows drops trailing dots and blanks,
    // so the file made would not carry the name asked for.
    if (name.back() == '.' || name.back() == ' ') return false;
    return !IsDeviceName(name);
}

}  // namespace zk
