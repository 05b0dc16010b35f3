// The desktop platform on POSIX systems. There is no registry (reads fail,
// writes do nothing) and a message box is one console line, "Caption: text":
// information on stdout, everything else on stderr.
#pragma once

#include "platform/desktop_platform.h"

namespace zk {

class PosixDesktopPlatform : public DesktopPlatform {
public:
    // argv0 of the running program, to find its own path when /proc has none.
    explicit PosixDesktopPlatform(std::string argv0 = {});

    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                     bool owned) override;
    std::string CurrentDirectory() override;
    std::string ProgramPath() override;
    std::string TemporaryFolder() override;
    char PathSeparator() const override { return '/'; }
    std::int64_t CurrentUnixTime() override;
    bool ReadRegistryString(RegistryRoot, const std::string&, const std::string&,
                            std::string*) override { return false; }
    bool ReadRegistryDword(RegistryRoot, const std::string&, const std::string&,
                           std::uint32_t*) override { return false; }
    bool WriteRegistryDword(RegistryRoot, const std::string&, const std::string&,
                            std::uint32_t) override { return false; }
    bool WriteRegistryString(RegistryRoot, const std::string&, const std::string&,
                             const std::string&) override { return false; }
    bool GetFileFacts(const std::string& path, FileFacts* out) override;
    std::unique_ptr<FileHandle> OpenFile(const std::string& path, FileMode mode) override;
    bool RemoveFile(const std::string& path) override;
    bool RenameFile(const std::string& from, const std::string& to) override;
    bool MakeFolder(const std::string& path) override;
    bool ShellStart(const std::string& path) override;
    bool NotifyAssociationsChanged() override;

private:
    std::string argv0_;
};

}  // namespace zk
