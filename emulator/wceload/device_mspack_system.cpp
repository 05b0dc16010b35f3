#include "emulator/wceload/device_mspack_system.h"

#include "common/utf16_text.h"
#include "device/platform/device_platform.h"

namespace zk {
namespace {

class DeviceFileStream : public MspackStream {
public:
    explicit DeviceFileStream(std::unique_ptr<DeviceFile> file) : file_(std::move(file)) {}
    std::size_t Read(void* buffer, std::size_t bytes) override {
        return file_->Read(buffer, bytes);
    }
    std::size_t Write(const void* buffer, std::size_t bytes) override {
        return file_->Write(buffer, bytes);
    }
    bool SeekTo(std::uint64_t position) override {
        return position <= static_cast<std::uint64_t>(INT64_MAX) &&
               file_->Seek(static_cast<std::int64_t>(position), DeviceSeek::Start);
    }
    bool SeekToEnd() override { return file_->Seek(0, DeviceSeek::End); }
    std::int64_t Tell() override {
        std::uint64_t position = 0;
        return file_->Tell(&position) ? static_cast<std::int64_t>(position) : -1;
    }
    bool Close() override { return file_->Close(); }

private:
    std::unique_ptr<DeviceFile> file_;
};

}  // namespace

std::unique_ptr<MspackStream> DeviceMspackSystem::OpenStream(const char* filename, bool writing) {
    std::unique_ptr<DeviceFile> file = device_.OpenFile(
        Utf8ToUtf16(filename), writing ? DeviceOpenMode::CreateWrite : DeviceOpenMode::Read);
    if (!file) return nullptr;
    return std::make_unique<DeviceFileStream>(std::move(file));
}

}  // namespace zk
