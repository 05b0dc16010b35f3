#include "tests/support/fake_desktop_platform.h"

#include <string>
#include <utility>

#include "platform/forwarding_desktop_platform.h"

namespace zk::test {
namespace {

std::string RegistryName(RegistryRoot root, const std::string& key, const std::string& value) {
    const char* r = root == RegistryRoot::LocalMachine  ? "HKLM"
                    : root == RegistryRoot::CurrentUser ? "HKCU"
                                                        : "HKCR";
    return std::string(r) + "|" + key + "|" + value;
}

// Passes everything through but stops writing once the budget is spent.
class FailingFile : public ForwardingFileHandle {
public:
    FailingFile(std::unique_ptr<FileHandle> inner, std::uint64_t budget, std::string* failure)
        : ForwardingFileHandle(std::move(inner)), budget_(budget), failure_(failure) {}
    std::size_t Write(const void* b, std::size_t n) override {
        std::size_t allowed = n < budget_ ? n : static_cast<std::size_t>(budget_);
        std::size_t written = allowed ? inner_->Write(b, allowed) : 0;
        budget_ -= written;
        if (written < n) *failure_ = SPENT_BUDGET;
        return written;
    }

private:
    std::uint64_t budget_;
    std::string* failure_;
};

class FailingReadFile : public ForwardingFileHandle {
public:
    FailingReadFile(std::unique_ptr<FileHandle> inner, std::uint64_t budget, std::string* failure)
        : ForwardingFileHandle(std::move(inner)), budget_(budget), failure_(failure) {}
    std::size_t Read(void* b, std::size_t n) override {
        const std::size_t allowed = n < budget_ ? n : static_cast<std::size_t>(budget_);
        const std::size_t got = allowed ? inner_->Read(b, allowed) : 0;
        budget_ -= got;
        failed_ = failed_ || allowed < n;
        if (allowed < n) *failure_ = SPENT_BUDGET;
        return got;
    }
    bool Close() override { return inner_->Close() && !failed_; }

private:
    std::uint64_t budget_;
    std::string* failure_;
    bool failed_ = false;
};

bool EndsWith(const std::string& text, const std::string& end) {
    return !end.empty() && text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

bool FakeDesktopPlatform::ReadRegistryString(RegistryRoot root, const std::string& key,
                                             const std::string& value, std::string* out) {
    auto it = registry.find(RegistryName(root, key, value));
    if (it == registry.end() || (!it->second.empty() && it->second[0] == '#')) return false;
    *out = it->second;
    return true;
}

bool FakeDesktopPlatform::ReadRegistryDword(RegistryRoot root, const std::string& key,
                                            const std::string& value, std::uint32_t* out) {
    auto it = registry.find(RegistryName(root, key, value));
    if (it == registry.end() || it->second.empty() || it->second[0] != '#') return false;
    *out = static_cast<std::uint32_t>(std::stoul(it->second.substr(1)));
    return true;
}

bool FakeDesktopPlatform::WriteRegistryDword(RegistryRoot root, const std::string& key,
                                             const std::string& value, std::uint32_t data) {
    registry[RegistryName(root, key, value)] = "#" + std::to_string(data);
    return true;
}

bool FakeDesktopPlatform::WriteRegistryString(RegistryRoot root, const std::string& key,
                                              const std::string& value, const std::string& data) {
    registry[RegistryName(root, key, value)] = data;
    return true;
}

std::unique_ptr<FileHandle> FakeDesktopPlatform::OpenFile(const std::string& path, FileMode mode) {
    std::unique_ptr<FileHandle> file = NativeDesktopPlatform::OpenFile(path, mode);
    if (file && mode != FileMode::Read && EndsWith(path, failWritesTo))
        return std::make_unique<FailingFile>(std::move(file), failWriteAfterBytes, &budgetFailure);
    if (file && mode == FileMode::Read && EndsWith(path, failReadsFrom))
        return std::make_unique<FailingReadFile>(std::move(file), failReadAfterBytes,
                                                 &budgetFailure);
    return file;
}

std::string FakeDesktopPlatform::LastFailureReason() {
    if (budgetFailure.empty()) return NativeDesktopPlatform::LastFailureReason();
    return std::exchange(budgetFailure, std::string());
}

}  // namespace zk::test
