#include "device/installer/posix/emulated_wceload.h"

#include <mspack.h>

#include <memory>

#include "common/cabinet/mspack_port.h"
#include "common/cabinet/setup_files.h"
#include "common/cabinet/setup_header.h"
#include "common/cabinet/setup_xml.h"
#include "common/utf16_text.h"
#include "device/installer/ansi_text16.h"
#include "device/installer/installer_texts.h"
#include "platform/desktop_platform_posix.h"

namespace zk {
namespace {

constexpr char16_t HEADER_SCRATCH[] = u"\\Temp\\~wceload.000";
constexpr char16_t XML_SCRATCH[] = u"\\Temp\\~wceload.xml";
constexpr char16_t PROGRAM_FILES[] = u"\\Program Files\\";

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

std::u16string Unquoted(std::u16string_view text) {
    if (text.size() >= 2 && text.front() == u'"' && text.back() == u'"') {
        text = text.substr(1, text.size() - 2);
    }
    return std::u16string(text);
}

std::u16string FileStem(std::u16string_view path) {
    std::size_t slash = path.find_last_of(u"\\/");
    std::u16string_view name = slash == std::u16string_view::npos ? path : path.substr(slash + 1);
    std::size_t dot = name.rfind(u'.');
    if (dot != std::u16string_view::npos && dot > 0) name = name.substr(0, dot);
    return std::u16string(name);
}

// Makes every level of a device folder path.
void MakeFolders(PosixDevicePlatform& device, std::u16string_view folder) {
    for (std::size_t i = 1; i <= folder.size(); ++i) {
        if (i == folder.size() || IsSeparator(folder[i])) {
            device.CreateFolder(folder.substr(0, i));
        }
    }
}

std::u16string MemberName(const mscabd_file* file) {
    if (file->attribs & MSCAB_ATTRIB_UTF_NAME) return Utf8ToUtf16(file->filename);
    return AnsiToUtf16(file->filename);
}

class CabinetReader {
public:
    // libmspack keeps the cabinet's name, not a copy: it lives here.
    explicit CabinetReader(std::string hostPath)
        : path_(std::move(hostPath)),
          system_(desktop_),
          cabd_(mspack_create_cab_decompressor(system_.Table())) {
        if (cabd_) cab_ = cabd_->open(cabd_, path_.c_str());
    }
    ~CabinetReader() {
        if (cab_) cabd_->close(cabd_, cab_);
        if (cabd_) mspack_destroy_cab_decompressor(cabd_);
    }
    CabinetReader(const CabinetReader&) = delete;
    CabinetReader& operator=(const CabinetReader&) = delete;

    mscabd_cabinet* cabinet() const { return cab_; }
    bool Extract(mscabd_file* file, const std::string& hostPath) {
        return cabd_->extract(cabd_, file, hostPath.c_str()) == MSPACK_ERR_OK;
    }
    PosixDesktopPlatform& desktop() { return desktop_; }

private:
    std::string path_;
    PosixDesktopPlatform desktop_;
    MspackPortSystem system_;
    mscab_decompressor* cabd_ = nullptr;
    mscabd_cabinet* cab_ = nullptr;
};

}  // namespace

std::vector<std::u16string> SplitCommandLine(std::u16string_view commandLine) {
    std::vector<std::u16string> words;
    std::size_t i = 0;
    while (i < commandLine.size()) {
        while (i < commandLine.size() && commandLine[i] == u' ') ++i;
        if (i >= commandLine.size()) break;
        std::u16string word;
        bool quoted = false;
        while (i < commandLine.size() && (quoted || commandLine[i] != u' ')) {
            if (commandLine[i] == u'"') {
                quoted = !quoted;
            } else {
                word += commandLine[i];
            }
            ++i;
        }
        words.push_back(word);
    }
    return words;
}

std::u16string SafeMemberPath(std::string_view storedName) {
    std::u16string name = Utf8ToUtf16(storedName);
    if (name.size() >= 2 && name[1] == u':') name.erase(0, 2);
    std::u16string out;
    std::size_t i = 0;
    while (i < name.size()) {
        while (i < name.size() && IsSeparator(name[i])) ++i;
        std::size_t start = i;
        while (i < name.size() && !IsSeparator(name[i])) ++i;
        std::u16string level = name.substr(start, i - start);
        if (level.empty() || level == u"." || level == u"..") continue;
        if (!out.empty()) out += u'\\';
        out += level;
    }
    return out;
}

EmulatedWceload::EmulatedWceload(PosixDevicePlatform& device) : device_(device) {}

std::u16string EmulatedWceload::DefaultFolder(std::u16string_view cabinet) {
    SetupInfo info{};
    bool known = false;
    {
        CabinetReader reader(device_.HostPath(cabinet));
        if (mscabd_cabinet* cab = reader.cabinet()) {
            for (mscabd_file* f = cab->files; f && !known; f = f->next) {
                SetupMember kind = SelectSetupMember(f->filename);
                if (kind == SetupMember::None) continue;
                const std::u16string scratch = kind == SetupMember::Header ? HEADER_SCRATCH : XML_SCRATCH;
                const std::string host = device_.HostPath(scratch);
                if (!reader.Extract(f, host)) continue;
                if (kind == SetupMember::Header) {
                    std::unique_ptr<FileHandle> file = reader.desktop().OpenFile(host, FileMode::Read);
                    known = file && ReadSetupHeader(*file, info) && info.appName[0] != '\0';
                } else {
                    known = ReadSetupXml(reader.desktop(), host, info) && info.appName[0] != '\0';
                }
                device_.RemoveFile(scratch);
            }
        }
    }
    const std::u16string app = known ? AnsiToUtf16(info.appName) : FileStem(cabinet);
    return std::u16string(PROGRAM_FILES) + app;
}

WceloadInstall EmulatedWceload::Install(std::u16string_view cabinet, std::u16string_view folder,
                                        bool deleteAfter) {
    WceloadInstall install;
    install.cabinet = std::u16string(cabinet);
    install.folder = std::u16string(folder);
    std::uint32_t attributes = 0;
    if (!device_.GetAttributes(cabinet, &attributes) || (attributes & DEVICE_ATTR_DIRECTORY)) {
        install.problem = u"no such cabinet";
        return install;
    }
    {
        CabinetReader reader(device_.HostPath(cabinet));
        mscabd_cabinet* cab = reader.cabinet();
        if (!cab) {
            install.problem = u"not a cabinet";
            return install;
        }
        MakeFolders(device_, folder);
        for (mscabd_file* f = cab->files; f; f = f->next) {
            if (SelectSetupMember(f->filename) != SetupMember::None) continue;
            const std::u16string member = SafeMemberPath(Utf16ToUtf8(MemberName(f)));
            if (member.empty()) continue;
            const std::u16string target = std::u16string(folder) + u"\\" + member;
            const std::size_t slash = target.find_last_of(u'\\');
            MakeFolders(device_, std::u16string_view(target).substr(0, slash));
            if (reader.Extract(f, device_.HostPath(target))) {
                ++install.files;
            } else if (install.problem.empty()) {
                install.problem = u"cannot unpack " + member;
            }
        }
    }
    install.installed = install.problem.empty();
    if (deleteAfter) device_.RemoveFile(cabinet);
    return install;
}

bool EmulatedWceload::Run(std::u16string_view commandLine) {
    runs_.push_back({std::u16string(commandLine), {}});
    bool deleteAfter = true;
    std::vector<std::u16string> cabinets;
    for (const std::u16string& word : SplitCommandLine(commandLine)) {
        if (!word.empty() && word[0] == u'/') {
            if (EqualsIgnoringCase(word, u"/nodelete")) deleteAfter = false;
            continue;
        }
        cabinets.push_back(word);
    }

    const auto values = device_.ReadRegistryValues(INSTALL_REGISTRY_KEY);
    auto folderFor = [&](const std::u16string& cabinet, std::u16string* folder) {
        for (const auto& [name, value] : values) {
            if (!EqualsIgnoringCase(Unquoted(name), cabinet)) continue;
            *folder = (!value.empty() && IsSeparator(value[0])) ? value : u"\\" + value;
            while (folder->size() > 1 && IsSeparator(folder->back())) folder->pop_back();
            device_.DeleteRegistryValue(INSTALL_REGISTRY_KEY, name);
            return true;
        }
        return false;
    };

    if (cabinets.empty()) {
        for (const auto& entry : values) cabinets.push_back(Unquoted(entry.first));
    }
    for (const std::u16string& cabinet : cabinets) {
        std::u16string folder;
        if (!folderFor(cabinet, &folder)) folder = DefaultFolder(cabinet);
        runs_.back().installs.push_back(Install(cabinet, folder, deleteAfter));
        if (afterInstall) afterInstall(runs_.back().installs.back());
    }
    return true;
}

}  // namespace zk
