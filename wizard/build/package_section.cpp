#include "wizard/build/package_section.h"

#include <memory>
#include <vector>

#include "common/little_endian.h"
#include "common/package_layout.h"
#include "platform/desktop_platform.h"
#include "wizard/build/build_outcome.h"

namespace zk {
namespace {

constexpr std::size_t SECTION_COPY_BLOCKS_PER_CALL = 252;  // about 256 KiB

}  // namespace

std::int64_t CopyBlocks(FileHandle& in, FileHandle& out) {
    // Whole blocks at a time, and many of them per call: a call per block
    // would cost a system call per KiB.
    std::vector<unsigned char> block(SECTION_COPY_BLOCK * SECTION_COPY_BLOCKS_PER_CALL);
    std::int64_t copied = 0;
    for (;;) {
        const std::size_t n = in.Read(block.data(), block.size());
        if (n == 0) return copied;
        if (out.Write(block.data(), n) != n) return -1;
        copied += static_cast<std::int64_t>(n);
    }
}

std::uint64_t FileSizeOf(DesktopPlatform& platform, const std::string& path, bool* opened) {
    std::unique_ptr<FileHandle> f = platform.OpenFile(path, FileMode::Read);
    if (opened) *opened = f != nullptr;
    if (!f || !f->SeekToEnd()) return 0;
    return f->Tell();
}

bool FailRead(DesktopPlatform& platform, BuildOutcome& outcome, const std::string& file) {
    outcome.Fail(BuildFault::CannotRead, file, {}, platform.LastFailureReason());
    return false;
}

bool FailWrite(DesktopPlatform& platform, BuildOutcome& outcome, const std::string& file) {
    outcome.Fail(BuildFault::CannotWrite, file, {}, platform.LastFailureReason());
    return false;
}

bool AppendSection(DesktopPlatform& platform, FileHandle& out, const std::string& outPath,
                   const std::string& path, BuildOutcome& outcome) {
    std::unique_ptr<FileHandle> in = platform.OpenFile(path, FileMode::Read);
    if (!in || !in->SeekToEnd()) return FailRead(platform, outcome, path);
    const std::uint64_t size = in->Tell();
    if (size > 0xFFFFFFFFULL) {
        outcome.Fail(BuildFault::InputUnusable, path, "is too large for a section");
        return false;
    }
    unsigned char count[SECTION_HEADER_SIZE];
    PutU32(count, static_cast<std::uint32_t>(size));
    if (!in->Seek(0)) return FailRead(platform, outcome, path);
    if (!out.SeekToEnd() || out.Write(count, sizeof count) != sizeof count)
        return FailWrite(platform, outcome, outPath);
    const std::int64_t copied = CopyBlocks(*in, out);
    if (copied < 0) return FailWrite(platform, outcome, outPath);
    if (static_cast<std::uint64_t>(copied) != size) return FailRead(platform, outcome, path);
    return true;
}

std::unique_ptr<FileHandle> StartFileWith(DesktopPlatform& platform, const std::string& from,
                                          const std::string& to, const std::string& shownTo,
                                          BuildOutcome& outcome) {
    std::unique_ptr<FileHandle> in = platform.OpenFile(from, FileMode::Read);
    if (!in) {
        FailRead(platform, outcome, from);
        return nullptr;
    }
    std::unique_ptr<FileHandle> out = platform.OpenFile(to, FileMode::CreateWrite);
    if (!out) {
        FailWrite(platform, outcome, shownTo);
        return nullptr;
    }
    if (CopyBlocks(*in, *out) < 0) {
        FailWrite(platform, outcome, shownTo);
        out.reset();
        platform.RemoveFile(to);
        return nullptr;
    }
    return out;
}

}  // namespace zk
