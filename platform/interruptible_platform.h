// A platform whose files stop reading and writing once `interrupted` says
// so: a build over it fails at its next read or write and clears up as after
// any failure. The question is asked at every read and write, from the thread
// that reads and writes, so a front may also use it to keep its window alive.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "platform/forwarding_desktop_platform.h"

namespace zk {

class InterruptiblePlatform : public ForwardingDesktopPlatform {
public:
    InterruptiblePlatform(DesktopPlatform& inner, std::function<bool()> interrupted)
        : ForwardingDesktopPlatform(inner), interrupted_(std::move(interrupted)) {}

    bool Interrupted() { return interrupted_ && interrupted_(); }

    std::unique_ptr<FileHandle> OpenFile(const std::string& path, FileMode mode) override {
        if (Interrupted()) return nullptr;
        std::unique_ptr<FileHandle> file = inner_.OpenFile(path, mode);
        if (!file) return nullptr;
        return std::make_unique<File>(std::move(file), *this);
    }

private:
    class File : public ForwardingFileHandle {
    public:
        File(std::unique_ptr<FileHandle> inner, InterruptiblePlatform& owner)
            : ForwardingFileHandle(std::move(inner)), owner_(owner) {}
        std::size_t Read(void* buffer, std::size_t bytes) override {
            return owner_.Interrupted() ? 0 : inner_->Read(buffer, bytes);
        }
        std::size_t Write(const void* buffer, std::size_t bytes) override {
            return owner_.Interrupted() ? 0 : inner_->Write(buffer, bytes);
        }

    private:
        InterruptiblePlatform& owner_;
    };

    std::function<bool()> interrupted_;
};

}  // namespace zk
