#include "fuzz/support/memory_device_platform.h"

#include "common/device_path.h"
#include "fuzz/support/memory_bytes.h"

namespace zk::fuzz {
namespace {

class MemoryDeviceFile : public DeviceFile {
public:
    MemoryDeviceFile(std::shared_ptr<std::string> bytes, bool writable, bool append)
        : bytes_(std::move(bytes)), writable_(writable), append_(append) {}

    std::size_t Read(void* buffer, std::size_t bytes) override {
        if (!bytes_ || writable_) return 0;
        return ReadBytesAt(*bytes_, &position_, buffer, bytes);
    }
    std::size_t Write(const void* buffer, std::size_t bytes) override {
        if (!bytes_ || !writable_) return 0;
        if (append_) position_ = bytes_->size();
        return WriteBytesAt(bytes_.get(), &position_, buffer, bytes);
    }
    bool Seek(std::int64_t offset, DeviceSeek origin) override {
        if (!bytes_) return false;
        const std::int64_t base = origin == DeviceSeek::Start ? 0
                                  : origin == DeviceSeek::Current
                                      ? static_cast<std::int64_t>(position_)
                                      : static_cast<std::int64_t>(bytes_->size());
        if (offset < 0 && -offset > base) return false;
        position_ = static_cast<std::uint64_t>(base + offset);
        return true;
    }
    bool Tell(std::uint64_t* position) override {
        if (!bytes_) return false;
        *position = position_;
        return true;
    }
    bool SetTimes(const DeviceFileTimes&) override { return bytes_ && writable_; }
    bool Close() override {
        bytes_.reset();
        return true;
    }

private:
    std::shared_ptr<std::string> bytes_;
    bool writable_;
    bool append_;
    std::uint64_t position_ = 0;
};

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

}  // namespace

MemoryDevicePlatform::MemoryDevicePlatform() : folders_{u"", u"temp", u"windows"} {}

bool MemoryDevicePlatform::Key(std::u16string_view path, std::u16string* key) {
    std::vector<std::u16string> levels;
    if (!SplitDevicePath(path, &levels)) return false;
    key->clear();
    for (const std::u16string& level : levels) {
        if (!key->empty()) key->push_back(u'\\');
        for (char16_t c : level) key->push_back(Lower(c));
    }
    return true;
}

bool MemoryDevicePlatform::ParentExists(const std::u16string& key) const {
    if (key.empty()) return false;
    const std::size_t slash = key.find_last_of(u'\\');
    return folders_.count(slash == std::u16string::npos ? std::u16string()
                                                        : key.substr(0, slash)) != 0;
}

void MemoryDevicePlatform::PutFile(std::u16string_view path, const void* bytes,
                                   std::size_t length) {
    std::u16string key;
    if (!Key(path, &key)) return;
    files_[key].bytes = std::make_shared<std::string>(static_cast<const char*>(bytes), length);
}

const std::string* MemoryDevicePlatform::FileBytes(std::u16string_view path) const {
    std::u16string key;
    if (!Key(path, &key)) return nullptr;
    const auto found = files_.find(key);
    return found == files_.end() ? nullptr : found->second.bytes.get();
}

bool MemoryDevicePlatform::HasFolder(std::u16string_view path) const {
    std::u16string key;
    return Key(path, &key) && folders_.count(key) != 0;
}

std::unique_ptr<DeviceFile> MemoryDevicePlatform::OpenFile(std::u16string_view path,
                                                           DeviceOpenMode mode,
                                                           std::uint32_t attributes) {
    std::u16string key;
    if (!Key(path, &key) || folders_.count(key)) return nullptr;
    auto found = files_.find(key);
    if (mode == DeviceOpenMode::Read) {
        if (found == files_.end()) return nullptr;
        return std::make_unique<MemoryDeviceFile>(found->second.bytes, false, false);
    }
    if (found != files_.end() && (found->second.attributes & DEVICE_ATTR_READONLY)) return nullptr;
    if (found == files_.end()) {
        if (!ParentExists(key)) return nullptr;
        found =
            files_.emplace(key, Entry{std::make_shared<std::string>(), DEVICE_ATTR_ARCHIVE}).first;
    }
    written_.push_back(key);
    Entry& entry = found->second;
    if (mode == DeviceOpenMode::CreateWrite) {
        entry.bytes = std::make_shared<std::string>();
        entry.attributes = (attributes & (DEVICE_ATTR_READONLY | DEVICE_ATTR_HIDDEN |
                                          DEVICE_ATTR_SYSTEM | DEVICE_ATTR_ARCHIVE));
        if (!entry.attributes) entry.attributes = DEVICE_ATTR_ARCHIVE;
    }
    return std::make_unique<MemoryDeviceFile>(entry.bytes, true, mode == DeviceOpenMode::Append);
}

bool MemoryDevicePlatform::RemoveFile(std::u16string_view path) {
    std::u16string key;
    return Key(path, &key) && files_.erase(key) != 0;
}

bool MemoryDevicePlatform::SetAttributes(std::u16string_view path, std::uint32_t attributes) {
    std::u16string key;
    if (!Key(path, &key)) return false;
    const auto found = files_.find(key);
    if (found == files_.end()) return false;
    found->second.attributes = attributes & (DEVICE_ATTR_READONLY | DEVICE_ATTR_HIDDEN |
                                             DEVICE_ATTR_SYSTEM | DEVICE_ATTR_ARCHIVE);
    return true;
}

bool MemoryDevicePlatform::RenameFile(std::u16string_view from, std::u16string_view to) {
    std::u16string a, b;
    if (!Key(from, &a) || !Key(to, &b) || files_.count(b) || folders_.count(b) || !ParentExists(b))
        return false;
    const auto found = files_.find(a);
    if (found == files_.end()) return false;
    Entry entry = found->second;
    files_.erase(found);
    files_[b] = entry;
    written_.push_back(b);
    return true;
}

bool MemoryDevicePlatform::CreateFolder(std::u16string_view path) {
    std::u16string key;
    if (!Key(path, &key) || key.empty() || folders_.count(key) || files_.count(key) ||
        !ParentExists(key))
        return false;
    written_.push_back(key);
    folders_.insert(key);
    return true;
}

bool MemoryDevicePlatform::GetAttributes(std::u16string_view path, std::uint32_t* attributes) {
    std::u16string key;
    if (!Key(path, &key)) return false;
    if (folders_.count(key)) {
        *attributes = DEVICE_ATTR_DIRECTORY;
        return true;
    }
    const auto found = files_.find(key);
    if (found == files_.end()) return false;
    *attributes = found->second.attributes;
    return true;
}

namespace {

std::u16string RegistryName(std::u16string_view key, std::u16string_view name) {
    std::u16string joined = std::u16string(key) + u'\\' + std::u16string(name);
    for (char16_t& c : joined) c = Lower(c);
    return joined;
}

}  // namespace

bool MemoryDevicePlatform::WriteRegistryNumber(std::u16string_view key, std::u16string_view name,
                                               std::uint32_t value) {
    ++registryWrites;
    numbers_[RegistryName(key, name)] = value;
    return true;
}

bool MemoryDevicePlatform::ReadRegistryNumber(std::u16string_view key, std::u16string_view name,
                                              std::uint32_t* value) {
    const auto found = numbers_.find(RegistryName(key, name));
    if (found == numbers_.end()) return false;
    *value = found->second;
    return true;
}

bool MemoryDevicePlatform::StartProgramAndWait(std::u16string_view program,
                                               std::u16string_view commandLine,
                                               std::uint32_t* exitCode) {
    ++starts;
    if (!onStart || !onStart(program, commandLine)) return false;
    if (exitCode) *exitCode = 0;
    return true;
}

}  // namespace zk::fuzz
