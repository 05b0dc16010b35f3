#include "common/cabinet/mspack_port.h"

#include "platform/desktop_platform.h"

namespace zk {
namespace {

class FileHandleStream : public MspackStream {
public:
    explicit FileHandleStream(std::unique_ptr<FileHandle> file) : file_(std::move(file)) {}
    std::size_t Read(void* buffer, std::size_t bytes) override {
        return file_->Read(buffer, bytes);
    }
    std::size_t Write(const void* buffer, std::size_t bytes) override {
        return file_->Write(buffer, bytes);
    }
    bool SeekTo(std::uint64_t position) override { return file_->Seek(position); }
    bool SeekToEnd() override { return file_->SeekToEnd(); }
    std::int64_t Tell() override { return static_cast<std::int64_t>(file_->Tell()); }
    bool Close() override { return file_->Close(); }

private:
    std::unique_ptr<FileHandle> file_;
};

}  // namespace

std::unique_ptr<MspackStream> MspackPortSystem::OpenStream(const char* filename, bool writing) {
    std::unique_ptr<FileHandle> file =
        platform_.OpenFile(filename, writing ? FileMode::CreateWrite : FileMode::Read);
    if (!file) return nullptr;
    return std::make_unique<FileHandleStream>(std::move(file));
}

}  // namespace zk
