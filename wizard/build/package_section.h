// Writing the parts of an installer package: a section is a u32 little-endian
// byte count followed by that many bytes, copied in SECTION_COPY_BLOCK blocks.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace zk {

class DesktopPlatform;
class FileHandle;
struct BuildOutcome;

// Appends the file at `path` to `out`, the file at `outPath`, as one
// section. On failure records it in `outcome` (naming the file that failed,
// with the system's reason) and returns false.
bool AppendSection(DesktopPlatform& platform, FileHandle& out, const std::string& outPath,
                   const std::string& path, BuildOutcome& outcome);

// Copies the bytes of `in` to the end of `out` until `in` ends. Returns the
// number of bytes copied, or -1 when a write fell short.
std::int64_t CopyBlocks(FileHandle& in, FileHandle& out);

// Creates (or replaces) the file at `to` holding a copy of the file at
// `from`, and returns it open for writing at its end. Null when either
// fails; `outcome` then says which, naming `from`, or `shownTo` (the name the
// file will finally have) for a write.
std::unique_ptr<FileHandle> StartFileWith(DesktopPlatform& platform, const std::string& from,
                                          const std::string& to, const std::string& shownTo,
                                          BuildOutcome& outcome);

// Records in `outcome` that `file` could not be read or written, with the
// system's reason for the platform's last failure.
bool FailRead(DesktopPlatform& platform, BuildOutcome& outcome, const std::string& file);
bool FailWrite(DesktopPlatform& platform, BuildOutcome& outcome, const std::string& file);

// The size of the file at `path`, or 0 when it cannot be opened.
std::uint64_t FileSizeOf(DesktopPlatform& platform, const std::string& path,
                         bool* opened = nullptr);

}  // namespace zk
