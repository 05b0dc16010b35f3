// A desktop platform for tests: real files (through the host's own
// implementation), with everything else recorded or set by the test.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/desktop_platform.h"
#include "platform/memory_page_view.h"
#include "tests/support/native_desktop_platform.h"
#include "platform/page_view.h"

namespace zk::test {

// The reason the fake gives for a read or write its budgets refused.
inline constexpr const char* SPENT_BUDGET = "the test's budget is spent";

struct ShownMessage {
    std::string text;
    std::string caption;
    MessageIcon icon;
    bool owned;
};

class FakeDesktopPlatform : public NativeDesktopPlatform {
public:
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                     bool owned) override {
        messages.push_back({text, caption, icon, owned});
    }
    std::string CurrentDirectory() override { return currentDirectory; }
    std::string ProgramPath() override { return programPath; }
    std::string TemporaryFolder() override {
        return temporaryFolder.empty() ? NativeDesktopPlatform::TemporaryFolder() : temporaryFolder;
    }
    // The fake's paths are written with '/' in every build; Windows takes it
    // as a separator too.
    char PathSeparator() const override { return separator; }
    std::int64_t CurrentUnixTime() override { return unixTime; }
    bool ReadRegistryString(RegistryRoot root, const std::string& key, const std::string& value,
                            std::string* out) override;
    bool ReadRegistryDword(RegistryRoot root, const std::string& key, const std::string& value,
                           std::uint32_t* out) override;
    bool WriteRegistryDword(RegistryRoot root, const std::string& key, const std::string& value,
                            std::uint32_t data) override;
    bool WriteRegistryString(RegistryRoot root, const std::string& key, const std::string& value,
                             const std::string& data) override;
    std::unique_ptr<FileHandle> OpenFile(const std::string& path, FileMode mode) override;
    // A failure of the budgets below is the last failure, with its own text.
    std::string LastFailureReason() override;
    bool ShellStart(const std::string& path) override {
        started.push_back(path);
        return true;
    }

    // Writes to a path ending in this text stop after `failWriteAfterBytes`.
    std::string failWritesTo;
    std::uint64_t failWriteAfterBytes = 0;
    // Reads from a path ending in this text stop after `failReadAfterBytes`
    // as a read error does: the file seems to end there and its close fails.
    std::string failReadsFrom;
    std::uint64_t failReadAfterBytes = 0;

    // Set when a budget below refused a read or write.
    std::string budgetFailure;

    std::vector<ShownMessage> messages;
    std::vector<std::string> started;
    std::string currentDirectory = "/fake/current";
    std::string programPath = "/fake/program/zephyrkit";
    std::string temporaryFolder;
    char separator = '/';
    std::int64_t unixTime = 1796601600;  // 7 December 2026 00:00:00 UTC
    // "root|key|value" -> text; dwords as their decimal text with a "#" prefix.
    std::map<std::string, std::string> registry;
};

// The in-memory page records what the logic did to the controls.
using FakePageView = MemoryPageView;

class RecordingBuildLog : public BuildLog {
public:
    void AddLine(const std::string& line) override { lines.push_back(line); }
    void SetProgressCaption(const std::string& caption) override { captions.push_back(caption); }
    void SetProgressRange(int maximum, int step) override {
        rangeMaximum = maximum;
        rangeStep = step;
        position = 0;
    }
    void StepProgress() override { position += rangeStep; }

    std::vector<std::string> lines;
    std::vector<std::string> captions;
    int rangeMaximum = 0;
    int rangeStep = 0;
    int position = 0;
};

}  // namespace zk::test
