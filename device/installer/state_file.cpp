#include "device/installer/state_file.h"

#include <charconv>
#include <climits>
#include <string>

#include "device/installer/installer_texts.h"

namespace zk {
namespace {

// A state file is a dozen bytes; anything much longer is not one.
constexpr std::size_t STATE_TEXT_LIMIT = 64;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool TakeNumber(std::string_view text, std::size_t* at, int* value) {
    while (*at < text.size() && IsBlank(text[*at])) ++*at;
    const char* first = text.data() + *at;
    const char* last = text.data() + text.size();
    if (first < last && *first == '+') ++first;
    auto [end, error] = std::from_chars(first, last, *value);
    if (error != std::errc() || end == first) return false;
    *at = static_cast<std::size_t>(end - text.data());
    return true;
}

}  // namespace

bool ParseStateText(std::string_view text, int* page, int* index) {
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

ResumePoint ResumePointOf(int savedPage, int savedIndex) {
    ResumePoint point;
    if (savedPage != PAGE_INSTALLATION) return point;
    point.page = PAGE_INSTALLATION;
    point.resumeIndex = savedIndex < 0 ? 0 : savedIndex == INT_MAX ? INT_MAX : savedIndex + 1;
    return point;
}

StateFile::StateFile(DevicePlatform& platform) : platform_(platform) {}

ResumePoint StateFile::Load() {
    DeviceLockHold hold(lock_);
    std::unique_ptr<DeviceFile> file = platform_.OpenFile(STATE_FILE, DeviceOpenMode::Read);
    if (!file) return {};
    char text[STATE_TEXT_LIMIT + 1];
    std::size_t length = file->Read(text, sizeof text);
    file->Close();
    int page = 0, index = 0;
    if (length > STATE_TEXT_LIMIT || !ParseStateText(std::string_view(text, length), &page, &index)) {
        return {};
    }
    return ResumePointOf(page, index);
}

bool StateFile::SaveState(int page, int index) {
    const std::string text = std::to_string(page) + " " + std::to_string(index);
    DeviceLockHold hold(lock_);
    std::unique_ptr<DeviceFile> file = platform_.OpenFile(STATE_FILE, DeviceOpenMode::CreateWrite);
    if (!file) return false;
    bool ok = file->Write(text.data(), text.size()) == text.size();
    return file->Close() && ok;
}

bool StateFile::Remove() {
    DeviceLockHold hold(lock_);
    return platform_.RemoveFile(STATE_FILE);
}

}  // namespace zk
