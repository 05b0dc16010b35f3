#include "device/installer/state_file.h"

#include <zlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/utf16_text.h"
#include "device/installer/installer_texts.h"

namespace zk {
namespace {

// 256 cabinet letters and two paths of 260 units fit many times over.
constexpr std::size_t STATE_TEXT_LIMIT = 8192;
constexpr char MAGIC[] = "zk-state 1";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Digits in `base` from text[*at] on, as many as there are; false when there
// are none or the value passes `limit`.
bool TakeDigits(std::string_view text, std::size_t* at, unsigned base, std::uint64_t limit,
                std::uint64_t* value) {
    std::uint64_t n = 0;
    const std::size_t first = *at;
    for (; *at < text.size(); ++*at) {
        const char c = text[*at];
        unsigned digit = base;
        if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
        if (base == 16 && c >= 'a' && c <= 'f') digit = static_cast<unsigned>(c - 'a' + 10);
        if (digit >= base) break;
        n = n * base + digit;
        if (n > limit) return false;
    }
    *value = n;
    return *at > first;
}

// A whole number of the int range, after blanks, with an optional sign.
bool TakeNumber(std::string_view text, std::size_t* at, int* value) {
    while (*at < text.size() && IsBlank(text[*at])) ++*at;
    bool negative = false;
    if (*at < text.size() && (text[*at] == '+' || text[*at] == '-'))
        negative = text[(*at)++] == '-';
    std::uint64_t n = 0;
    if (!TakeDigits(text, at, 10, negative ? 2147483648ULL : 2147483647ULL, &n)) return false;
    *value = negative ? static_cast<int>(-static_cast<std::int64_t>(n)) : static_cast<int>(n);
    return true;
}

bool ParseTwoNumbers(std::string_view text, int* page, int* index) {
    std::size_t at = 0;
    int p = 0, i = 0;
    if (!TakeNumber(text, &at, &p)) return false;
    if (at >= text.size() || !IsBlank(text[at])) return false;
    if (!TakeNumber(text, &at, &i)) return false;
    while (at < text.size() && IsBlank(text[at])) ++at;
    if (at != text.size()) return false;
    *page = p;
    *index = i;
    return true;
}

std::uint32_t Crc(std::string_view text) {
    return static_cast<std::uint32_t>(
        crc32(0L, reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size())));
}

// Eight lower-case hex digits. (The device stub leaves out the C library's
// formatted printing: it would not fit the stub's length.)
std::string Hex(std::uint32_t value) {
    std::string digits(8, '0');
    for (int i = 7; i >= 0; --i, value >>= 4)
        digits[static_cast<std::size_t>(i)] = "0123456789abcdef"[value & 15];
    return digits;
}

// The whole text as one number of `base` no greater than `limit`.
template <typename Number>
bool ParseWhole(std::string_view text, Number* value, unsigned base = 10,
                std::uint64_t limit = static_cast<std::uint64_t>(Number(-1))) {
    std::size_t at = 0;
    std::uint64_t n = 0;
    if (!TakeDigits(text, &at, base, limit, &n) || at != text.size()) return false;
    *value = static_cast<Number>(n);
    return true;
}

bool ParseFlag(std::string_view text, bool* flag) {
    if (text != "0" && text != "1") return false;
    *flag = text == "1";
    return true;
}

// "name value" -> value, when the line starts with the name and a blank.
bool Field(std::string_view line, std::string_view name, std::string_view* value) {
    if (line.size() < name.size() + 1 || line.compare(0, name.size(), name) != 0 ||
        line[name.size()] != ' ')
        return false;
    *value = line.substr(name.size() + 1);
    return true;
}

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        words.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

// Device paths hold no line ends; a text that did would end its line early.
std::string LineText(std::u16string_view text) {
    std::string bytes = Utf16ToUtf8(text);
    for (char& c : bytes)
        if (c == '\n' || c == '\r') c = ' ';
    return bytes;
}

bool ParseFull(std::string_view body, SavedState* state) {
    std::vector<std::string_view> lines;
    std::size_t at = 0;
    while (at < body.size()) {
        const std::size_t end = body.find('\n', at);
        if (end == std::string_view::npos) return false;
        lines.push_back(body.substr(at, end - at));
        at = end + 1;
    }
    const char* names[] = {"sequence", "package", "cabinets", "prefs", "override", "log"};
    if (lines.size() != 8 || lines[0] != MAGIC) return false;
    std::string_view v[6];
    for (std::size_t i = 0; i < 6; ++i)
        if (!Field(lines[i + 2], names[i], &v[i])) return false;
    if (!ParseTwoNumbers(lines[1], &state->page, &state->index)) return false;
    if (!ParseWhole(v[0], &state->sequence)) return false;
    const std::vector<std::string_view> package = Words(v[1]);
    if (package.size() != 2 || !ParseWhole(package[0], &state->package.length) ||
        package[1].size() != 8 || !ParseWhole(package[1], &state->package.projectCrc, 16))
        return false;
    state->cabinets = std::string(v[2]);
    for (char c : state->cabinets)
        if (!IsCabinetOutcome(c)) return false;
    const std::vector<std::string_view> flags = Words(v[3]);
    SavedPreferences& p = state->preferences;
    if (flags.size() != 5 || !ParseFlag(flags[0], &p.overrideInstallPath) ||
        !ParseFlag(flags[1], &p.resumeOnReset) || !ParseFlag(flags[2], &p.resetWhenFinished) ||
        !ParseFlag(flags[3], &p.silentInstall) || !ParseFlag(flags[4], &p.debugLog))
        return false;
    p.overrideFolder = Utf8ToUtf16(v[4]);
    p.logPath = Utf8ToUtf16(v[5]);
    state->full = true;
    return true;
}

}  // namespace

bool IsCabinetOutcome(char letter) {
    switch (static_cast<CabinetOutcome>(letter)) {
    case CabinetOutcome::NotReached:
    case CabinetOutcome::Unpacking:
    case CabinetOutcome::Handed:
    case CabinetOutcome::Installed:
    case CabinetOutcome::Failed:
    case CabinetOutcome::Skipped: return true;
    }
    return false;
}

std::string StateText(const SavedState& state) {
    const SavedPreferences& p = state.preferences;
    auto flag = [](bool on) { return on ? "1" : "0"; };
    std::string text = std::string(MAGIC) + "\n";
    text += std::to_string(state.page) + " " + std::to_string(state.index) + "\n";
    text += "sequence " + std::to_string(state.sequence) + "\n";
    text += "package " + std::to_string(state.package.length) + " " +
            Hex(state.package.projectCrc) + "\n";
    text += "cabinets " + state.cabinets + "\n";
    text += std::string("prefs ") + flag(p.overrideInstallPath) + " " + flag(p.resumeOnReset) +
            " " + flag(p.resetWhenFinished) + " " + flag(p.silentInstall) + " " + flag(p.debugLog) +
            "\n";
    text += "override " + LineText(p.overrideFolder) + "\n";
    text += "log " + LineText(p.logPath) + "\n";
    return text + "end " + Hex(Crc(text)) + "\n";
}

bool ParseStateText(std::string_view text, SavedState* state) {
    SavedState read;
    if (text.size() > STATE_TEXT_LIMIT) return false;
    if (text.compare(0, sizeof MAGIC - 1, MAGIC) != 0) {
        // The short form: the two numbers and nothing else.
        if (!ParseTwoNumbers(text, &read.page, &read.index)) return false;
        *state = read;
        return true;
    }
    // The last line is the end mark over everything before it.
    if (text.back() != '\n') return false;
    const std::size_t last = text.rfind('\n', text.size() - 2);
    if (last == std::string_view::npos) return false;
    const std::string_view body = text.substr(0, last + 1);
    std::string_view mark;
    std::uint32_t crc = 0;
    if (!Field(text.substr(last + 1, text.size() - last - 2), "end", &mark) || mark.size() != 8 ||
        !ParseWhole(mark, &crc, 16) || crc != Crc(body))
        return false;
    if (!ParseFull(body, &read)) return false;
    *state = read;
    return true;
}

StateFile::StateFile(DevicePlatform& platform) : platform_(platform) {}

bool StateFile::ReadOne(std::u16string_view path, SavedState* state) {
    std::unique_ptr<DeviceFile> file = platform_.OpenFile(path, DeviceOpenMode::Read);
    if (!file) return false;
    std::string text(STATE_TEXT_LIMIT + 1, '\0');
    std::size_t length = file->Read(text.data(), text.size());
    file->Close();
    text.resize(length);
    return ParseStateText(text, state);
}

bool StateFile::Load(SavedState* state) {
    DeviceLockHold hold(lock_);
    SavedState main, next;
    const bool haveMain = ReadOne(STATE_FILE, &main);
    const bool haveNext = ReadOne(STATE_FILE_NEW, &next);
    // A save that was cut between its two steps left the newer state in the
    // second file: make it the main one, so that the next save, which
    // rewrites the second file, never finds no complete state at all.
    const bool takeNext = haveNext && (!haveMain || next.sequence > main.sequence);
    if (takeNext) {
        platform_.RemoveFile(STATE_FILE);
        platform_.RenameFile(STATE_FILE_NEW, STATE_FILE);
        main = next;
    } else {
        platform_.RemoveFile(STATE_FILE_NEW);
    }
    if (!haveMain && !haveNext) return false;
    sequence_ = main.sequence;
    *state = main;
    return true;
}

bool StateFile::Save(SavedState state) {
    DeviceLockHold hold(lock_);
    state.sequence = ++sequence_;
    state.full = true;
    const std::string text = StateText(state);
    // A text the reader would refuse is no save: the previous state stays.
    // (Only paths far longer than a device keeps make one; a file's bytes
    // that are no UTF-8 come back three times as long.)
    if (text.size() > STATE_TEXT_LIMIT) return false;
    std::uint32_t attributes = 0;
    if (!platform_.GetAttributes(STATE_FILE, &attributes) &&
        platform_.GetAttributes(STATE_FILE_NEW, &attributes)) {
        // An earlier save of this run stopped after its removal.
        platform_.RenameFile(STATE_FILE_NEW, STATE_FILE);
    }
    std::unique_ptr<DeviceFile> file =
        platform_.OpenFile(STATE_FILE_NEW, DeviceOpenMode::CreateWrite);
    if (!file) return false;
    bool ok = file->Write(text.data(), text.size()) == text.size();
    ok = file->Close() && ok;
    if (!ok) {
        platform_.RemoveFile(STATE_FILE_NEW);
        return false;
    }
    platform_.RemoveFile(STATE_FILE);
    // Should the rename fail, the second file still holds the newer state.
    platform_.RenameFile(STATE_FILE_NEW, STATE_FILE);
    return true;
}

bool StateFile::Remove() {
    DeviceLockHold hold(lock_);
    const bool main = platform_.RemoveFile(STATE_FILE);
    const bool next = platform_.RemoveFile(STATE_FILE_NEW);
    return main || next;
}

}  // namespace zk
