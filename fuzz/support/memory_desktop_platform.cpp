#include "fuzz/support/memory_desktop_platform.h"

#include "fuzz/support/memory_bytes.h"

namespace zk::fuzz {
namespace {

class MemoryFile : public FileHandle {
public:
    explicit MemoryFile(std::shared_ptr<std::string> bytes) : bytes_(std::move(bytes)) {}

    std::size_t Read(void* buffer, std::size_t bytes) override {
        return bytes_ ? ReadBytesAt(*bytes_, &position_, buffer, bytes) : 0;
    }
    std::size_t Write(const void* buffer, std::size_t bytes) override {
        return bytes_ ? WriteBytesAt(bytes_.get(), &position_, buffer, bytes) : 0;
    }
    // As with a disk file, the position may stand past the end.
    bool Seek(std::uint64_t offset) override {
        position_ = offset;
        return bytes_ != nullptr;
    }
    bool SeekToEnd() override {
        if (!bytes_) return false;
        position_ = bytes_->size();
        return true;
    }
    std::uint64_t Tell() override { return position_; }
    bool Close() override {
        bytes_.reset();
        return true;
    }

private:
    std::shared_ptr<std::string> bytes_;
    std::uint64_t position_ = 0;
};

}  // namespace

MemoryDesktopPlatform::MemoryDesktopPlatform() : folders_{"/", "/tmp", "/work"} {}

void MemoryDesktopPlatform::PutFile(const std::string& path, const void* bytes,
                                    std::size_t length) {
    files_[path] = std::make_shared<std::string>(static_cast<const char*>(bytes), length);
}

void MemoryDesktopPlatform::ShareFile(const std::string& path, std::string& bytes) {
    files_[path] = std::shared_ptr<std::string>(&bytes, [](std::string*) {});
}

const std::string* MemoryDesktopPlatform::FileBytes(const std::string& path) const {
    const auto found = files_.find(path);
    return found == files_.end() ? nullptr : found->second.get();
}

void MemoryDesktopPlatform::ShowMessage(const std::string&, const std::string&, MessageIcon, bool) {
    ++messages_;
}

bool MemoryDesktopPlatform::ParentExists(const std::string& path) const {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return false;
    return folders_.count(slash == 0 ? std::string("/") : path.substr(0, slash)) != 0;
}

bool MemoryDesktopPlatform::GetFileFacts(const std::string& path, FileFacts* out) {
    FileFacts facts;
    facts.creationTime = facts.lastAccessTime = facts.lastWriteTime =
        FILETIME_UNIX_EPOCH + 1796601600ULL * 10000000ULL;
    if (const std::string* bytes = FileBytes(path)) {
        facts.size = bytes->size();
        facts.attributes = FILE_ATTR_ARCHIVE;
    } else if (folders_.count(path)) {
        facts.attributes = FILE_ATTR_DIRECTORY;
    } else {
        return false;
    }
    *out = facts;
    return true;
}

std::unique_ptr<FileHandle> MemoryDesktopPlatform::OpenFile(const std::string& path,
                                                            FileMode mode) {
    const auto found = files_.find(path);
    switch (mode) {
    case FileMode::Read:
        if (found == files_.end()) return nullptr;
        return std::make_unique<MemoryFile>(found->second);
    case FileMode::CreateWrite: {
        if (!ParentExists(path) || folders_.count(path)) return nullptr;
        written_.push_back(path);
        auto bytes = std::make_shared<std::string>();
        files_[path] = bytes;
        return std::make_unique<MemoryFile>(bytes);
    }
    case FileMode::AppendWrite: {
        if (found == files_.end()) return nullptr;
        written_.push_back(path);
        auto file = std::make_unique<MemoryFile>(found->second);
        file->SeekToEnd();
        return file;
    }
    }
    return nullptr;
}

bool MemoryDesktopPlatform::RemoveFile(const std::string& path) { return files_.erase(path) != 0; }

bool MemoryDesktopPlatform::RenameFile(const std::string& from, const std::string& to) {
    const auto found = files_.find(from);
    if (found == files_.end() || !ParentExists(to) || folders_.count(to)) return false;
    written_.push_back(to);
    std::shared_ptr<std::string> bytes = found->second;
    files_.erase(found);
    files_[to] = std::move(bytes);
    return true;
}

bool MemoryDesktopPlatform::MakeFolder(const std::string& path) {
    if (folders_.count(path)) return true;
    if (files_.count(path) || !ParentExists(path)) return false;
    written_.push_back(path);
    folders_.insert(path);
    return true;
}

}  // namespace zk::fuzz
