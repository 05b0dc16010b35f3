// The desktop platform on Windows: real message boxes, the registry, and
// files through CreateFileA with 64-bit positions. Text is the ANSI code
// page, as everywhere in the wizard.
#pragma once

#include "platform/desktop_platform.h"

namespace zk {

class Win32DesktopPlatform : public DesktopPlatform {
public:
    Win32DesktopPlatform() = default;

    // The window that owns the message boxes shown with `owned` set (an HWND;
    // null until the main window exists, and then the boxes have no owner).
    void SetOwnerWindow(void* window) { ownerWindow_ = window; }

    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                     bool owned) override;
    std::string CurrentDirectory() override;
    std::string ProgramPath() override;
    std::string TemporaryFolder() override;
    char PathSeparator() const override { return '\\'; }
    std::int64_t CurrentUnixTime() override;

    // Reads take at most 1040 bytes of text, or exactly a 4-byte REG_DWORD.
    bool ReadRegistryString(RegistryRoot root, const std::string& key, const std::string& value,
                            std::string* out) override;
    bool ReadRegistryDword(RegistryRoot root, const std::string& key, const std::string& value,
                           std::uint32_t* out) override;
    // Creates the key when needed; the value is a 4-byte REG_DWORD.
    bool WriteRegistryDword(RegistryRoot root, const std::string& key, const std::string& value,
                            std::uint32_t data) override;
    // Creates the key when needed (the file association); the text is stored
    // as REG_SZ with its terminating zero. An empty value name is the key's
    // default value.
    bool WriteRegistryString(RegistryRoot root, const std::string& key, const std::string& value,
                             const std::string& data) override;

    bool GetFileFacts(const std::string& path, FileFacts* out) override;
    std::unique_ptr<FileHandle> OpenFile(const std::string& path, FileMode mode) override;
    bool RemoveFile(const std::string& path) override;
    bool RenameFile(const std::string& from, const std::string& to) override;
    bool MakeFolder(const std::string& path) override;
    bool RemoveFolder(const std::string& path) override;
    std::string LastFailureReason() override;
    // LockFileEx on a file opened to be deleted when its last handle closes.
    std::unique_ptr<FileLock> LockFile(const std::string& path, int waitMilliseconds,
                                       bool* busy) override;
    bool ShellStart(const std::string& path) override;
    bool NotifyAssociationsChanged() override;

private:
    void* ownerWindow_ = nullptr;
    // GetLastError() of the last failed file operation, 0 when none failed yet.
    unsigned long lastError_ = 0;
};

}  // namespace zk
