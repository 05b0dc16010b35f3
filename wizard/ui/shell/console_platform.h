// A desktop platform whose message boxes are console lines, "Caption: text",
// for programs run from a shell on any system: information on `out`, the rest
// on `err`. Everything else goes to the platform it wraps.
#pragma once

#include <ostream>

#include "platform/desktop_platform.h"

namespace zk {

class ConsolePlatform : public DesktopPlatform {
public:
    ConsolePlatform(DesktopPlatform& inner, std::ostream& out, std::ostream& err)
        : inner_(inner), out_(out), err_(err) {}

    // How many boxes other than information ones were shown.
    int problems() const { return problems_; }

    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                     bool) override {
        if (icon != MessageIcon::Information) ++problems_;
        (icon == MessageIcon::Information ? out_ : err_) << caption << ": " << text << "\n";
    }
    std::string CurrentDirectory() override { return inner_.CurrentDirectory(); }
    std::string ProgramPath() override { return inner_.ProgramPath(); }
    std::string TemporaryFolder() override { return inner_.TemporaryFolder(); }
    char PathSeparator() const override { return inner_.PathSeparator(); }
    std::int64_t CurrentUnixTime() override { return inner_.CurrentUnixTime(); }
    bool ReadRegistryString(RegistryRoot root, const std::string& key, const std::string& value,
                            std::string* out) override {
        return inner_.ReadRegistryString(root, key, value, out);
    }
    bool ReadRegistryDword(RegistryRoot root, const std::string& key, const std::string& value,
                           std::uint32_t* out) override {
        return inner_.ReadRegistryDword(root, key, value, out);
    }
    bool WriteRegistryDword(RegistryRoot root, const std::string& key, const std::string& value,
                            std::uint32_t data) override {
        return inner_.WriteRegistryDword(root, key, value, data);
    }
    bool WriteRegistryString(RegistryRoot root, const std::string& key, const std::string& value,
                             const std::string& data) override {
        return inner_.WriteRegistryString(root, key, value, data);
    }
    bool GetFileFacts(const std::string& path, FileFacts* out) override {
        return inner_.GetFileFacts(path, out);
    }
    std::unique_ptr<FileHandle> OpenFile(const std::string& path, FileMode mode) override {
        return inner_.OpenFile(path, mode);
    }
    bool RemoveFile(const std::string& path) override { return inner_.RemoveFile(path); }
    bool RenameFile(const std::string& from, const std::string& to) override {
        return inner_.RenameFile(from, to);
    }
    bool MakeFolder(const std::string& path) override { return inner_.MakeFolder(path); }
    bool ShellStart(const std::string& path) override { return inner_.ShellStart(path); }

private:
    DesktopPlatform& inner_;
    std::ostream& out_;
    std::ostream& err_;
    int problems_ = 0;
};

}  // namespace zk
