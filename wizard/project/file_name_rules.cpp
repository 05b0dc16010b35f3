#include "wizard/project/file_name_rules.h"

namespace zk {
namespace {

// Code page 1252's letters in upper case: ASCII, the accented block (but for
// the multiplication and division signs, and ß, which has no capital here),
// and the pairs Š/š, Œ/œ, Ž/ž, Ÿ/ÿ.
unsigned char Upper(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
    if (c == 0x9A || c == 0x9C || c == 0x9E) return static_cast<unsigned char>(c - 16);
    if (c == 0xFF) return 0x9F;
    return c;
}

std::string UpperText(const std::string& text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(Upper(static_cast<unsigned char>(c)));
    return out;
}

// Windows takes "CON", "con.txt" and "Com1.log" alike for the device itself;
// what counts is the part before the first dot.
std::string DeviceNameOf(const std::string& name) {
    const std::string base = UpperText(name.substr(0, name.find('.')));
    for (const char* device : {"CON", "PRN", "AUX", "NUL"})
        if (base == device) return base;
    if (base.size() == 4 && (base.rfind("COM", 0) == 0 || base.rfind("LPT", 0) == 0) &&
        base[3] >= '1' && base[3] <= '9')
        return base;
    return {};
}

}  // namespace

std::string FileNameProblem(const std::string& name) {
    if (name.empty()) return {};
    const std::size_t refused = name.find_first_of("\\/:*?\"<>|");
    if (refused != std::string::npos)
        return std::string("holds the character '") + name[refused] + "'";
    for (char c : name)
        if (static_cast<unsigned char>(c) < 32) return "holds a control character";
    // "." and ".." end in a dot too; Windows drops trailing dots and blanks,
    // so the file made would not carry the name asked for.
    if (name.back() == '.') return "ends in a dot";
    if (name.back() == ' ') return "ends in a blank";
    const std::string device = DeviceNameOf(name);
    if (!device.empty()) return "is the name of a device (" + device + ")";
    return {};
}

bool IsUsableFileName(const char* text) { return !text || FileNameProblem(text).empty(); }

bool SameFileName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && UpperText(a) == UpperText(b);
}

}  // namespace zk
