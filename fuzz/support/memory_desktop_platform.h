// The desktop platform over an in-memory file table, in the spirit of
// libmspack's cabd_memory example: a fuzz target hands the wizard's readers
// its input as a file without writing one, and sees every file they make.
// Paths are '/'-separated strings taken as they stand; a file can be created
// only in a folder that exists. Message boxes are counted, never shown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/desktop_platform.h"

namespace zk::fuzz {

class MemoryDesktopPlatform : public DesktopPlatform {
public:
    // Folders "/", "/tmp" (the temporary folder) and "/work" (the current
    // one) exist from the start.
    MemoryDesktopPlatform();

    // Puts a file in the table, replacing one of that name.
    void PutFile(const std::string& path, const void* bytes, std::size_t length);
    // Puts the caller's bytes in the table without copying them; they must
    // outlive the platform, and are changed by whatever writes to the file.
    void ShareFile(const std::string& path, std::string& bytes);
    // The file's bytes, or null when there is none.
    const std::string* FileBytes(const std::string& path) const;
    bool HasFile(const std::string& path) const { return files_.count(path) != 0; }

    // Every path opened for writing or made a folder, in order.
    const std::vector<std::string>& Written() const { return written_; }
    int messages() const { return messages_; }

    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                     bool owned) override;
    std::string CurrentDirectory() override { return "/work"; }
    std::string ProgramPath() override { return "/work/zephyrkit"; }
    std::string TemporaryFolder() override { return "/tmp"; }
    char PathSeparator() const override { return '/'; }
    std::int64_t CurrentUnixTime() override { return 1796601600; }
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
    bool ShellStart(const std::string&) override { return false; }

private:
    bool ParentExists(const std::string& path) const;

    std::map<std::string, std::shared_ptr<std::string>> files_;
    std::set<std::string> folders_;
    std::vector<std::string> written_;
    int messages_ = 0;
};

}  // namespace zk::fuzz
