// A desktop platform that hands every call to another one: the base of
// platforms that change one or two answers of the real one. And a file that
// does the same, for those that change how their files read or write.
#pragma once

#include <memory>
#include <utility>

#include "platform/desktop_platform.h"

namespace zk {

class ForwardingFileHandle : public FileHandle {
public:
    explicit ForwardingFileHandle(std::unique_ptr<FileHandle> inner) : inner_(std::move(inner)) {}

    std::size_t Read(void* buffer, std::size_t bytes) override {
        return inner_->Read(buffer, bytes);
    }
    std::size_t Write(const void* buffer, std::size_t bytes) override {
        return inner_->Write(buffer, bytes);
    }
    bool Seek(std::uint64_t offset) override { return inner_->Seek(offset); }
    bool SeekToEnd() override { return inner_->SeekToEnd(); }
    std::uint64_t Tell() override { return inner_->Tell(); }
    bool Close() override { return inner_->Close(); }

protected:
    std::unique_ptr<FileHandle> inner_;
};

class ForwardingDesktopPlatform : public DesktopPlatform {
public:
    explicit ForwardingDesktopPlatform(DesktopPlatform& inner) : inner_(inner) {}

    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                     bool owned) override {
        inner_.ShowMessage(text, caption, icon, owned);
    }
    std::string CurrentDirectory() override { return inner_.CurrentDirectory(); }
    std::string ProgramPath() override { return inner_.ProgramPath(); }
    std::string TemporaryFolder() override { return inner_.TemporaryFolder(); }
    char PathSeparator() const override { return inner_.PathSeparator(); }
    std::int64_t CurrentUnixTime() override { return inner_.CurrentUnixTime(); }
    bool ReadRegistryString(RegistryRoot root, const std::string& key, const std::string& value,
                            std::string* out) override {
        return inner_.ReadRegistryString(root, key, value, out);
    }
    bool ReadRegistryDword(RegistryRoot root, const std::string& key, const std::string& value,
                           std::uint32_t* out) override {
        return inner_.ReadRegistryDword(root, key, value, out);
    }
    bool WriteRegistryDword(RegistryRoot root, const std::string& key, const std::string& value,
                            std::uint32_t data) override {
        return inner_.WriteRegistryDword(root, key, value, data);
    }
    bool WriteRegistryString(RegistryRoot root, const std::string& key, const std::string& value,
                             const std::string& data) override {
        return inner_.WriteRegistryString(root, key, value, data);
    }
    bool GetFileFacts(const std::string& path, FileFacts* out) override {
        return inner_.GetFileFacts(path, out);
    }
    std::unique_ptr<FileHandle> OpenFile(const std::string& path, FileMode mode) override {
        return inner_.OpenFile(path, mode);
    }
    bool RemoveFile(const std::string& path) override { return inner_.RemoveFile(path); }
    bool RenameFile(const std::string& from, const std::string& to) override {
        return inner_.RenameFile(from, to);
    }
    bool MakeFolder(const std::string& path) override { return inner_.MakeFolder(path); }
    bool RemoveFolder(const std::string& path) override { return inner_.RemoveFolder(path); }
    std::string LastFailureReason() override { return inner_.LastFailureReason(); }
    std::unique_ptr<FileLock> LockFile(const std::string& path, int waitMilliseconds,
                                       bool* busy) override {
        return inner_.LockFile(path, waitMilliseconds, busy);
    }
    bool ShellStart(const std::string& path) override { return inner_.ShellStart(path); }
    bool NotifyAssociationsChanged() override { return inner_.NotifyAssociationsChanged(); }

protected:
    DesktopPlatform& inner_;
};

}  // namespace zk
