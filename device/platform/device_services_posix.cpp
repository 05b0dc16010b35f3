// Programs, registry, reset and time of the POSIX device. The registry file
// is read whole and written whole for every change (it holds a handful of
// values); a change goes to a temporary file first and is renamed over the
// old one, so a reset in the middle never leaves half a registry.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "common/device_path.h"
#include "common/utf16_text.h"
#include "device/platform/device_platform_posix.h"

namespace zk {
namespace {

constexpr char16_t REGISTRY_FILE[] = u"\\Windows\\Registry.reg";
constexpr char REGISTRY_HEADER[] = "REGEDIT4";
constexpr char ROOT_KEY[] = "HKEY_LOCAL_MACHINE\\";

// "\Windows\.\wceload.exe", "C:/windows/WCELOAD.EXE" and "\Windows\wceload.exe"
// all become "Windows\wceload.exe" up to case.
std::u16string NormalisedPath(std::u16string_view path) {
    std::vector<std::u16string> levels;
    SplitDevicePath(path, &levels);
    std::u16string joined;
    for (const std::u16string& level : levels) {
        if (!joined.empty()) joined += u'\\';
        joined += level;
    }
    return joined;
}

// A key without its root and without separators at either end.
std::u16string NormalisedKey(std::u16string_view key) {
    while (!key.empty() && key.front() == u'\\') key.remove_prefix(1);
    while (!key.empty() && key.back() == u'\\') key.remove_suffix(1);
    return std::u16string(key);
}

struct RegistryValue {
    std::u16string name;
    std::u16string text;
    bool isNumber = false;  // a DWORD, "dword:%08x" in the file
    std::uint32_t number = 0;
};

struct RegistryKey {
    std::u16string name;
    std::vector<RegistryValue> values;
};

std::string Quoted(std::u16string_view text) {
    std::string out = "\"";
    for (char c : Utf16ToUtf8(text)) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// Reads one quoted text from line[at...]; false when it is not one.
bool Unquote(const std::string& line, std::size_t* at, std::u16string* text) {
    if (*at >= line.size() || line[*at] != '"') return false;
    std::string bytes;
    for (std::size_t i = *at + 1; i < line.size(); ++i) {
        char c = line[i];
        if (c == '"') {
            *at = i + 1;
            *text = Utf8ToUtf16(bytes);
            return true;
        }
        if (c == '\\' && i + 1 < line.size()) {
            char next = line[++i];
            bytes += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
        } else {
            bytes += c;
        }
    }
    return false;
}

std::vector<RegistryKey> ParseRegistry(const std::string& text) {
    std::vector<RegistryKey> keys;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            std::string name = line.substr(1, line.size() - 2);
            if (name.compare(0, sizeof ROOT_KEY - 1, ROOT_KEY) == 0) {
                name.erase(0, sizeof ROOT_KEY - 1);
            }
            keys.push_back({NormalisedKey(Utf8ToUtf16(name)), {}});
            continue;
        }
        std::size_t at = 0;
        RegistryValue value;
        if (keys.empty() || !Unquote(line, &at, &value.name)) continue;
        if (at >= line.size() || line[at] != '=') continue;
        ++at;
        if (line.compare(at, 6, "dword:") == 0) {
            const std::string digits = line.substr(at + 6);
            char* stop = nullptr;
            const unsigned long n = std::strtoul(digits.c_str(), &stop, 16);
            if (digits.empty() || digits.size() > 8 || *stop != '\0') continue;
            value.isNumber = true;
            value.number = static_cast<std::uint32_t>(n);
        } else if (!Unquote(line, &at, &value.text)) {
            continue;
        }
        keys.back().values.push_back(std::move(value));
    }
    return keys;
}

std::string FormatRegistry(const std::vector<RegistryKey>& keys) {
    std::string text = std::string(REGISTRY_HEADER) + "\n";
    for (const RegistryKey& key : keys) {
        text += "\n[" + std::string(ROOT_KEY) + Utf16ToUtf8(key.name) + "]\n";
        for (const RegistryValue& value : key.values) {
            text += Quoted(value.name) + "=";
            if (value.isNumber) {
                char digits[16];
                std::snprintf(digits, sizeof digits, "dword:%08x", value.number);
                text += digits;
            } else {
                text += Quoted(value.text);
            }
            text += "\n";
        }
    }
    return text;
}

std::string ReadHostFile(const std::string& path) {
    std::string text;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char block[16384];
        std::size_t n;
        while ((n = std::fread(block, 1, sizeof block, f)) > 0) text.append(block, n);
        std::fclose(f);
    }
    return text;
}

bool WriteHostFileReplacing(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".new";
    FILE* f = std::fopen(temporary.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = std::fclose(f) == 0 && ok;
    if (ok) ok = std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) std::remove(temporary.c_str());
    return ok;
}

RegistryKey* FindKey(std::vector<RegistryKey>& keys, std::u16string_view key) {
    for (RegistryKey& k : keys) {
        if (EqualsIgnoringCase(k.name, key)) return &k;
    }
    return nullptr;
}

// The values of one key of the registry file; false when the key is missing.
bool ReadKey(const std::string& file, std::u16string_view key, RegistryKey* found) {
    if (file.empty()) return false;
    std::vector<RegistryKey> keys = ParseRegistry(ReadHostFile(file));
    RegistryKey* k = FindKey(keys, NormalisedKey(key));
    if (!k) return false;
    *found = std::move(*k);
    return true;
}

}  // namespace

void PosixDevicePlatform::SetProgram(std::u16string_view devicePath, ProgramHandler handler) {
    std::u16string path = NormalisedPath(devicePath);
    for (auto& entry : programs_) {
        if (EqualsIgnoringCase(entry.first, path)) {
            entry.second = std::move(handler);
            return;
        }
    }
    programs_.emplace_back(std::move(path), std::move(handler));
}

void PosixDevicePlatform::SetResetHandler(std::function<bool()> handler) {
    resetHandler_ = std::move(handler);
}

bool PosixDevicePlatform::StartProgramAndWait(std::u16string_view program,
                                              std::u16string_view commandLine,
                                              std::uint32_t* exitCode) {
    const std::u16string path = NormalisedPath(program);
    for (const auto& entry : programs_) {
        if (!EqualsIgnoringCase(entry.first, path)) continue;
        std::uint32_t code = 0;
        const bool ran = entry.second && entry.second(commandLine, &code);
        if (ran && exitCode) *exitCode = code;
        return ran;
    }
    return false;
}

bool PosixDevicePlatform::WriteRegistryEntry(std::u16string_view key, std::u16string_view name,
                                             std::u16string_view text, bool isNumber,
                                             std::uint32_t number) {
    std::lock_guard<std::mutex> hold(registryLock_);
    const std::string file = HostPath(REGISTRY_FILE);
    if (file.empty()) return false;
    std::vector<RegistryKey> keys = ParseRegistry(ReadHostFile(file));
    const std::u16string wanted = NormalisedKey(key);
    RegistryKey* k = FindKey(keys, wanted);
    if (!k) {
        keys.push_back({wanted, {}});
        k = &keys.back();
    }
    RegistryValue* slot = nullptr;
    for (RegistryValue& entry : k->values) {
        if (EqualsIgnoringCase(entry.name, name)) slot = &entry;
    }
    if (!slot) {
        k->values.push_back({std::u16string(name), {}, false, 0});
        slot = &k->values.back();
    }
    slot->text = std::u16string(text);
    slot->isNumber = isNumber;
    slot->number = number;
    // "\Windows" may not exist yet on a fresh device root.
    CreateFolder(u"\\Windows");
    return WriteHostFileReplacing(file, FormatRegistry(keys));
}

bool PosixDevicePlatform::WriteRegistryText(std::u16string_view key, std::u16string_view name,
                                            std::u16string_view value) {
    return WriteRegistryEntry(key, name, value, false, 0);
}

bool PosixDevicePlatform::WriteRegistryNumber(std::u16string_view key, std::u16string_view name,
                                              std::uint32_t value) {
    return WriteRegistryEntry(key, name, {}, true, value);
}

bool PosixDevicePlatform::ReadRegistryNumber(std::u16string_view key, std::u16string_view name,
                                             std::uint32_t* value) {
    std::lock_guard<std::mutex> hold(registryLock_);
    RegistryKey k;
    if (!ReadKey(HostPath(REGISTRY_FILE), key, &k)) return false;
    for (const RegistryValue& entry : k.values) {
        if (!EqualsIgnoringCase(entry.name, name)) continue;
        if (!entry.isNumber) return false;
        *value = entry.number;
        return true;
    }
    return false;
}

std::vector<std::pair<std::u16string, std::u16string>> PosixDevicePlatform::ReadRegistryValues(
    std::u16string_view key) {
    std::lock_guard<std::mutex> hold(registryLock_);
    RegistryKey k;
    if (!ReadKey(HostPath(REGISTRY_FILE), key, &k)) return {};
    std::vector<std::pair<std::u16string, std::u16string>> texts;
    for (const RegistryValue& entry : k.values) {
        if (!entry.isNumber) texts.emplace_back(entry.name, entry.text);
    }
    return texts;
}

bool PosixDevicePlatform::DeleteRegistryValue(std::u16string_view key, std::u16string_view name) {
    std::lock_guard<std::mutex> hold(registryLock_);
    const std::string file = HostPath(REGISTRY_FILE);
    if (file.empty()) return false;
    std::vector<RegistryKey> keys = ParseRegistry(ReadHostFile(file));
    RegistryKey* k = FindKey(keys, NormalisedKey(key));
    if (!k) return false;
    for (auto it = k->values.begin(); it != k->values.end(); ++it) {
        if (EqualsIgnoringCase(it->name, name)) {
            k->values.erase(it);
            return WriteHostFileReplacing(file, FormatRegistry(keys));
        }
    }
    return false;
}

bool PosixDevicePlatform::ResetDevice() { return resetHandler_ && resetHandler_(); }

std::uint32_t PosixDevicePlatform::TickCount() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace zk
