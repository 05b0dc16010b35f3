// A fresh folder below the system's temporary folder, removed with its
// contents when the test ends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zk::test {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + name
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);
std::uint64_t FileSize(const std::string& path);
// The names in a folder, sorted.
std::vector<std::string> ListFolder(const std::string& path);

// A whole 24-bit Windows bitmap, the smallest splash a build takes.
std::string SmallBitmap(int width = 2, int height = 2);

std::uint32_t ReadU32(const std::string& bytes, std::size_t offset);
std::uint16_t ReadU16(const std::string& bytes, std::size_t offset);

// Runs a shell command; returns its exit status and fills `output` with what
// it printed on stdout.
int RunCommand(const std::string& command, std::string* output = nullptr);
// Starts the program at `path` (no arguments) with `folder` as its current
// folder and waits up to 30 seconds for it: its exit code, or -1 when it
// could not be started or did not end.
int RunProgramIn(const std::string& path, const std::string& folder);

// Whether the host's checkers (python3, unzip, zip, cabextract, gcab) can be
// run with RunCommand: not from a Windows program under Wine.
bool HostToolsAvailable();

}  // namespace zk::test

// First statement of a test that needs the host's checkers: under Wine the
// test is reported as skipped, with the reason.
#define ZK_REQUIRE_HOST_TOOLS()                                                \
    do {                                                                       \
        if (!::zk::test::HostToolsAvailable())                                 \
            GTEST_SKIP() << "needs the host's tools (python3, unzip, zip, "    \
                            "cabextract), which a Windows program under Wine " \
                            "cannot start";                                    \
    } while (0)
