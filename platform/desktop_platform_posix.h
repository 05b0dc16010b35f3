// The desktop platform on POSIX systems. There is no registry (reads fail,
// writes do nothing) and a message box is one console line, "Caption: text":
// information on stdout, everything else on stderr.
//
// Texts cross in code page 1252, as the Windows ANSI functions take them, and
// the system's UTF-8 names are converted at each call: a path given here is
// 1252 and reaches the file system as UTF-8; the folders asked of it come back
// in 1252, with '?' for what the page lacks (FolderFitsCodePage tells).
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
                            std::string*) override {
        return false;
    }
    bool ReadRegistryDword(RegistryRoot, const std::string&, const std::string&,
                           std::uint32_t*) override {
        return false;
    }
    bool WriteRegistryDword(RegistryRoot, const std::string&, const std::string&,
                            std::uint32_t) override {
        return false;
    }
    bool WriteRegistryString(RegistryRoot, const std::string&, const std::string&,
                             const std::string&) override {
        return false;
    }
    bool GetFileFacts(const std::string& path, FileFacts* out) override;
    std::unique_ptr<FileHandle> OpenFile(const std::string& path, FileMode mode) override;
    bool RemoveFile(const std::string& path) override;
    bool RenameFile(const std::string& from, const std::string& to) override;
    bool MakeFolder(const std::string& path) override;
    bool RemoveFolder(const std::string& path) override;
    std::string LastFailureReason() override;
    std::unique_ptr<FileLock> LockFile(const std::string& path, int waitMilliseconds,
                                       bool* busy) override;
    bool ShellStart(const std::string& path) override;
    bool NotifyAssociationsChanged() override;

    // False, and `problem` says why, when the folder has a character 1252
    // lacks: the logic could not name the files below it. Each program asks
    // about the folders it uses.
    enum class HostFolder { Current, Program, Temporary };
    bool FolderFitsCodePage(HostFolder which, std::string* problem) const;

private:
    std::string OsCurrentDirectory() const;
    std::string OsProgramPath() const;
    std::string OsTemporaryFolder() const;

    std::string argv0_;
    // errno of the last failed file operation, 0 when none failed yet.
    int lastError_ = 0;
};

}  // namespace zk
