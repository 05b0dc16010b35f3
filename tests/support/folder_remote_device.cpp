#include "tests/support/folder_remote_device.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "common/device_path.h"

namespace zk {
namespace {

namespace fs = std::filesystem;

// How often a blocked CeRapiInit looks at its clock; a hand-moved clock
// also wakes it through ClockMoved.
constexpr std::chrono::milliseconds ANSWER_POLL{20};

bool IsWildcard(char16_t c) { return c == u'*' || c == u'?'; }

// A name the device could hold: no character the device refuses, and no
// trailing dot or space, which Windows hosts strip (".. " would become "..").
bool IsDeviceName(std::u16string_view level, bool wildcards) {
    if (level.empty() || level.size() > 255) return false;
    for (char16_t c : level) {
        if (c < 0x20) return false;
        if (IsWildcard(c)) {
            if (!wildcards) return false;
            continue;
        }
        if (std::u16string_view(u"\\/:\"<>|").find(c) != std::u16string_view::npos) return false;
    }
    return level.back() != u'.' && level.back() != u' ';
}

char16_t Folded(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

// '*' stands for any run of characters, '?' for any one; letters compare
// without case.
bool GlobMatches(std::u16string_view name, std::u16string_view pattern) {
    std::size_t n = 0, p = 0;
    std::size_t starAt = std::u16string_view::npos, resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starAt = p++;
            resumeAt = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == u'?' || Folded(pattern[p]) == Folded(name[n]))) {
            ++p;
            ++n;
        } else if (starAt != std::u16string_view::npos) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') ++p;
    return p == pattern.size();
}

// As the device matches: a closing ".*" also matches a name without any
// extension, so "*.*" is every name.
bool PatternMatches(std::u16string_view name, std::u16string_view pattern) {
    if (GlobMatches(name, pattern)) return true;
    return pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == u".*" &&
           name.find(u'.') == std::u16string_view::npos &&
           GlobMatches(name, pattern.substr(0, pattern.size() - 2));
}

std::uint32_t AttributesOf(const fs::directory_entry& entry) {
    std::error_code error;
    fs::file_status status = entry.status(error);
    std::uint32_t attributes =
        fs::is_directory(status) ? REMOTE_ATTR_DIRECTORY : REMOTE_ATTR_ARCHIVE;
    if ((status.permissions() & fs::perms::owner_write) == fs::perms::none)
        attributes |= REMOTE_ATTR_READONLY;
    return attributes;
}

bool IsReadOnly(const fs::path& path) {
    std::error_code error;
    fs::file_status status = fs::status(path, error);
    return !error && (status.permissions() & fs::perms::owner_write) == fs::perms::none;
}

}  // namespace

FolderRemoteDevice::FolderRemoteDevice(fs::path root, Clock clock)
    : root_(std::move(root)), clock_(std::move(clock)) {}

FolderRemoteDevice::~FolderRemoteDevice() {
    std::lock_guard<std::mutex> hold(lock_);
    CloseEverything();
}

std::chrono::steady_clock::time_point FolderRemoteDevice::Now() const {
    return clock_ ? clock_() : std::chrono::steady_clock::now();
}

bool FolderRemoteDevice::AnswerDue() const {
    switch (answer_) {
    case Answer::AtOnce: return true;
    case Answer::AtTime: return Now() >= answerTime_;
    case Answer::Never: return false;
    }
    return true;
}

void FolderRemoteDevice::AnswerAtOnce(HResult result) {
    std::lock_guard<std::mutex> hold(lock_);
    answer_ = Answer::AtOnce;
    answerResult_ = result;
    answerChanged_.notify_all();
}

void FolderRemoteDevice::AnswerAt(std::chrono::steady_clock::time_point when, HResult result) {
    std::lock_guard<std::mutex> hold(lock_);
    answer_ = Answer::AtTime;
    answerTime_ = when;
    answerResult_ = result;
    answerChanged_.notify_all();
}

void FolderRemoteDevice::AnswerNever() {
    std::lock_guard<std::mutex> hold(lock_);
    answer_ = Answer::Never;
    answerChanged_.notify_all();
}

void FolderRemoteDevice::ClockMoved() {
    std::lock_guard<std::mutex> hold(lock_);
    answerChanged_.notify_all();
}

int FolderRemoteDevice::WaitingInitCalls() {
    std::lock_guard<std::mutex> hold(lock_);
    return AnswerDue() ? 0 : waitingCalls_;
}

void FolderRemoteDevice::FailProgramStarts(bool fail) {
    std::lock_guard<std::mutex> hold(lock_);
    failProgramStarts_ = fail;
}

void FolderRemoteDevice::SetProgramHandler(ProgramHandler handler) {
    std::lock_guard<std::mutex> hold(lock_);
    programHandler_ = std::move(handler);
}

std::vector<FolderRemoteDevice::StartedProgram> FolderRemoteDevice::StartedPrograms() {
    std::lock_guard<std::mutex> hold(lock_);
    return started_;
}

void FolderRemoteDevice::SetFreeSpace(std::optional<std::uint64_t> bytes) {
    std::lock_guard<std::mutex> hold(lock_);
    freeSpace_ = bytes;
}

void FolderRemoteDevice::ListDotEntries(bool list) {
    std::lock_guard<std::mutex> hold(lock_);
    listDotEntries_ = list;
}

bool FolderRemoteDevice::connected() {
    std::lock_guard<std::mutex> hold(lock_);
    return connected_;
}

fs::path FolderRemoteDevice::HostPath(std::u16string_view devicePath) {
    std::lock_guard<std::mutex> hold(lock_);
    return HostPathLocked(devicePath, false, nullptr);
}

fs::path FolderRemoteDevice::HostPathLocked(std::u16string_view devicePath, bool lastIsPattern,
                                            std::u16string* pattern) {
    std::vector<std::u16string> levels;
    if (!SplitDevicePath(devicePath, &levels)) return {};
    if (lastIsPattern) {
        if (levels.empty() || !IsDeviceName(levels.back(), true)) return {};
        *pattern = levels.back();
        levels.pop_back();
    }
    fs::path host = root_;
    for (const std::u16string& level : levels) {
        if (!IsDeviceName(level, false)) return {};
        host /= MatchDeviceLevel(host, level);
        std::error_code error;
        if (fs::is_symlink(fs::symlink_status(host, error))) return {};
    }
    return host;
}

RemoteHandle FolderRemoteDevice::NewHandle() {
    RemoteHandle handle = nextHandle_++;
    if (nextHandle_ == REMOTE_INVALID_HANDLE) nextHandle_ = 1;
    return handle;
}

void FolderRemoteDevice::CloseEverything() {
    for (auto& [handle, file] : files_) file->stream.close();
    files_.clear();
    searches_.clear();
    processHandles_.clear();
}

HResult FolderRemoteDevice::CeRapiInit() {
    std::unique_lock<std::mutex> hold(lock_);
    const std::uint64_t attempt = uninitCount_;
    bool waiting = false;
    while (!AnswerDue()) {
        if (!waiting) {
            ++waitingCalls_;
            waiting = true;
        }
        answerChanged_.wait_for(hold, ANSWER_POLL);
        // CeRapiUninit has already taken this call off the waiting count.
        if (uninitCount_ != attempt) return REMOTE_E_ABORT;
    }
    if (waiting) --waitingCalls_;
    if (answerResult_ >= 0) connected_ = true;
    return answerResult_;
}

HResult FolderRemoteDevice::CeRapiUninit() {
    std::lock_guard<std::mutex> hold(lock_);
    ++uninitCount_;
    waitingCalls_ = 0;
    connected_ = false;
    CloseEverything();
    answerChanged_.notify_all();
    return REMOTE_S_OK;
}

RemoteHandle FolderRemoteDevice::CeCreateFile(std::u16string_view path, std::uint32_t access,
                                              std::uint32_t /*shareMode*/, std::uint32_t creation,
                                              std::uint32_t /*attributes*/) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!connected_) return REMOTE_INVALID_HANDLE;
    fs::path host = HostPathLocked(path, false, nullptr);
    if (host.empty() || host == root_) return REMOTE_INVALID_HANDLE;
    std::error_code error;
    if (!fs::is_directory(host.parent_path(), error)) return REMOTE_INVALID_HANDLE;
    fs::file_status status = fs::status(host, error);
    const bool exists = fs::exists(status);
    if (exists && !fs::is_regular_file(status)) return REMOTE_INVALID_HANDLE;

    const bool write = (access & REMOTE_GENERIC_WRITE) != 0;
    bool empty = false;
    switch (creation) {
    case REMOTE_CREATE_NEW:
        if (exists) return REMOTE_INVALID_HANDLE;
        empty = true;
        break;
    case REMOTE_CREATE_ALWAYS: empty = true; break;
    case REMOTE_OPEN_EXISTING:
        if (!exists) return REMOTE_INVALID_HANDLE;
        break;
    case REMOTE_OPEN_ALWAYS: empty = !exists; break;
    case REMOTE_TRUNCATE_EXISTING:
        if (!exists || !write) return REMOTE_INVALID_HANDLE;
        empty = true;
        break;
    default: return REMOTE_INVALID_HANDLE;
    }
    // As on the device, a read-only file can be neither written nor replaced.
    if (exists && (write || empty) && IsReadOnly(host)) return REMOTE_INVALID_HANDLE;

    if (empty) {
        std::ofstream create(host, std::ios::binary | std::ios::trunc);
        if (!create) return REMOTE_INVALID_HANDLE;
    }
    auto file = std::make_unique<OpenFile>();
    file->writable = write;
    std::ios::openmode mode = std::ios::binary | std::ios::in;
    if (write) mode |= std::ios::out;  // in|out keeps what the file holds
    file->stream.open(host, mode);
    if (!file->stream.is_open()) return REMOTE_INVALID_HANDLE;
    RemoteHandle handle = NewHandle();
    files_[handle] = std::move(file);
    return handle;
}

bool FolderRemoteDevice::CeWriteFile(RemoteHandle handle, const void* buffer, std::uint32_t bytes,
                                     std::uint32_t* written) {
    std::lock_guard<std::mutex> hold(lock_);
    if (written) *written = 0;
    auto it = files_.find(handle);
    if (it == files_.end() || !it->second->writable || (!buffer && bytes)) return false;
    std::uint32_t allowed = bytes;
    if (freeSpace_ && *freeSpace_ < allowed) allowed = static_cast<std::uint32_t>(*freeSpace_);
    std::fstream& stream = it->second->stream;
    stream.write(static_cast<const char*>(buffer), static_cast<std::streamsize>(allowed));
    if (!stream) return false;
    if (freeSpace_) *freeSpace_ -= allowed;
    if (written) *written = allowed;
    return allowed == bytes;
}

bool FolderRemoteDevice::CeCloseHandle(RemoteHandle handle) {
    std::lock_guard<std::mutex> hold(lock_);
    auto file = files_.find(handle);
    if (file != files_.end()) {
        std::fstream& stream = file->second->stream;
        stream.close();
        const bool stored = !stream.fail();
        files_.erase(file);
        return stored;
    }
    return processHandles_.erase(handle) == 1;
}

bool FolderRemoteDevice::CeCreateProcess(std::u16string_view program,
                                         std::u16string_view commandLine, RemoteProcessInfo* info) {
    fs::path host;
    ProgramHandler handler;
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (!connected_ || failProgramStarts_) return false;
        host = HostPathLocked(program, false, nullptr);
        std::error_code error;
        if (host.empty() || !fs::is_regular_file(host, error)) return false;
        handler = programHandler_;
    }
    // The handler runs unlocked: it may well look at the device.
    if (handler && !handler(host, commandLine)) return false;

    std::lock_guard<std::mutex> hold(lock_);
    started_.push_back({std::u16string(program), std::u16string(commandLine)});
    RemoteProcessInfo started;
    started.process = NewHandle();
    started.thread = NewHandle();
    started.processId = nextProcessId_++;
    started.threadId = nextProcessId_++;
    processHandles_.insert(started.process);
    processHandles_.insert(started.thread);
    if (info) *info = started;
    return true;
}

RemoteHandle FolderRemoteDevice::CeFindFirstFile(std::u16string_view pattern,
                                                 RemoteFindData* data) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!connected_ || !data) return REMOTE_INVALID_HANDLE;
    std::u16string namePattern;
    fs::path folder = HostPathLocked(pattern, true, &namePattern);
    std::error_code error;
    if (folder.empty() || !fs::is_directory(folder, error)) return REMOTE_INVALID_HANDLE;

    Search search;
    if (listDotEntries_ && folder != root_ && PatternMatches(u".", namePattern)) {
        search.entries.push_back({REMOTE_ATTR_DIRECTORY, u"."});
        search.entries.push_back({REMOTE_ATTR_DIRECTORY, u".."});
    }
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        // The device has no links; one could lead out of the root.
        std::error_code linkError;
        if (it->is_symlink(linkError)) continue;
        std::u16string name = DeviceName(it->path().filename());
        if (PatternMatches(name, namePattern))
            search.entries.push_back({AttributesOf(*it), std::move(name)});
    }
    if (search.entries.empty()) return REMOTE_INVALID_HANDLE;
    *data = search.entries[0];
    search.next = 1;
    RemoteHandle handle = NewHandle();
    searches_[handle] = std::move(search);
    return handle;
}

bool FolderRemoteDevice::CeFindNextFile(RemoteHandle handle, RemoteFindData* data) {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = searches_.find(handle);
    if (it == searches_.end() || !data || it->second.next >= it->second.entries.size())
        return false;
    *data = it->second.entries[it->second.next++];
    return true;
}

bool FolderRemoteDevice::CeFindClose(RemoteHandle handle) {
    std::lock_guard<std::mutex> hold(lock_);
    return searches_.erase(handle) == 1;
}

}  // namespace zk
