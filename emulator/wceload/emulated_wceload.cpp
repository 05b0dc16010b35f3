#include "emulator/wceload/emulated_wceload.h"

#include <mspack.h>

#include <memory>
#include <vector>

#include "common/cabinet/setup_files.h"
#include "common/cabinet/setup_header.h"
#include "common/cabinet/setup_xml.h"
#include "common/utf16_text.h"
#include "device/installer/ansi_text16.h"
#include "device/installer/installer_texts.h"
#include "emulator/wceload/device_mspack_system.h"
#include "platform/desktop_platform.h"

namespace zk {
namespace {

constexpr char16_t HEADER_SCRATCH[] = u"\\Temp\\~wceload.000";
constexpr char16_t XML_SCRATCH[] = u"\\Temp\\~wceload.xml";
constexpr char16_t PROGRAM_FILES[] = u"\\Program Files\\";
constexpr std::size_t BLOCK = 16 * 1024;

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

std::u16string Unquoted(std::u16string_view text) {
    if (text.size() >= 2 && text.front() == u'"' && text.back() == u'"') {
        text = text.substr(1, text.size() - 2);
    }
    return std::u16string(text);
}

// An application name names one folder below "\\Program Files": a name that
// would reach elsewhere is not taken.
bool IsFolderName(std::u16string_view name) {
    if (name.empty() || name == u"." || name == u"..") return false;
    return name.find_first_of(u"\\/:") == std::u16string_view::npos;
}

std::u16string FileStem(std::u16string_view path) {
    std::size_t slash = path.find_last_of(u"\\/");
    std::u16string_view name = slash == std::u16string_view::npos ? path : path.substr(slash + 1);
    std::size_t dot = name.rfind(u'.');
    if (dot != std::u16string_view::npos && dot > 0) name = name.substr(0, dot);
    return std::u16string(name);
}

// Makes every level of a device folder path.
void MakeFolders(DevicePlatform& device, std::u16string_view folder) {
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

// The set-up header reader reads through the desktop platform's file handle:
// here a device file is behind it.
class DeviceFileHandle : public FileHandle {
public:
    explicit DeviceFileHandle(std::unique_ptr<DeviceFile> file) : file_(std::move(file)) {}
    std::size_t Read(void* buffer, std::size_t bytes) override {
        return file_->Read(buffer, bytes);
    }
    std::size_t Write(const void* buffer, std::size_t bytes) override {
        return file_->Write(buffer, bytes);
    }
    bool Seek(std::uint64_t offset) override {
        return file_->Seek(static_cast<std::int64_t>(offset), DeviceSeek::Start);
    }
    bool SeekToEnd() override { return file_->Seek(0, DeviceSeek::End); }
    std::uint64_t Tell() override {
        std::uint64_t position = 0;
        return file_->Tell(&position) ? position : 0;
    }
    bool Close() override { return file_->Close(); }

private:
    std::unique_ptr<DeviceFile> file_;
};

bool ReadHeaderFile(DevicePlatform& device, std::u16string_view path, SetupInfo& info) {
    std::unique_ptr<DeviceFile> file = device.OpenFile(path, DeviceOpenMode::Read);
    if (!file) return false;
    DeviceFileHandle handle(std::move(file));
    return ReadSetupHeader(handle, info);
}

bool ReadXmlFile(DevicePlatform& device, std::u16string_view path, SetupInfo& info) {
    std::unique_ptr<DeviceFile> file = device.OpenFile(path, DeviceOpenMode::Read);
    if (!file) return false;
    std::vector<char> bytes;
    std::vector<char> block(BLOCK);
    for (;;) {
        const std::size_t n = file->Read(block.data(), block.size());
        if (n == 0) break;
        if (bytes.size() + n > MAX_SETUP_XML_BYTES) return false;
        bytes.insert(bytes.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(n));
    }
    return ParseSetupXml(bytes.data(), bytes.size(), info) == SetupXmlResult::Walked;
}

class CabinetReader {
public:
    // libmspack keeps the cabinet's name, not a copy: it lives here.
    CabinetReader(DevicePlatform& device, std::u16string_view cabinet)
        : path_(Utf16ToUtf8(cabinet)),
          system_(device),
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
    bool Extract(mscabd_file* file, std::u16string_view target) {
        system_.ResetWriteState();
        const std::string path = Utf16ToUtf8(target);
        return cabd_->extract(cabd_, file, path.c_str()) == MSPACK_ERR_OK &&
               !system_.CreateFailed() && !system_.WriteFailed();
    }

private:
    std::string path_;
    DeviceMspackSystem system_;
    mscab_decompressor* cabd_ = nullptr;
    mscabd_cabinet* cab_ = nullptr;
};

}  // namespace

std::u16string_view CommandLineArguments(std::u16string_view full) {
    std::size_t i = 0;
    bool quoted = false;
    while (i < full.size() && (quoted || (full[i] != u' ' && full[i] != u'\t'))) {
        if (full[i] == u'"') quoted = !quoted;
        ++i;
    }
    if (i < full.size()) ++i;
    return full.substr(i);
}

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

EmulatedWceload::EmulatedWceload(DevicePlatform& device, InstallRegistry& registry)
    : device_(device), registry_(registry) {}

void EmulatedWceload::Journal(std::u16string_view line) {
    if (auto journal = device_.OpenFile(WCELOAD_JOURNAL, DeviceOpenMode::Append)) {
        const std::string bytes = Utf16ToUtf8(line) + "\n";
        journal->Write(bytes.data(), bytes.size());
        journal->Close();
    }
}

namespace {

// What the cabinet's set-up member says of its application; false when it
// has none that can be read.
bool ReadCabinetSetup(DevicePlatform& device, std::u16string_view cabinet, SetupInfo* info) {
    CabinetReader reader(device, cabinet);
    mscabd_cabinet* cab = reader.cabinet();
    if (!cab) return false;
    for (mscabd_file* f = cab->files; f; f = f->next) {
        const SetupMember kind = SelectSetupMember(f->filename);
        if (kind == SetupMember::None) continue;
        const std::u16string scratch = kind == SetupMember::Header ? HEADER_SCRATCH : XML_SCRATCH;
        if (!reader.Extract(f, scratch)) continue;
        const bool known = kind == SetupMember::Header ? ReadHeaderFile(device, scratch, *info)
                                                       : ReadXmlFile(device, scratch, *info);
        device.RemoveFile(scratch);
        if (known) return true;
    }
    return false;
}

}  // namespace

WceloadInstall EmulatedWceload::Install(std::u16string_view cabinet,
                                        const std::u16string* overrideFolder, bool deleteAfter) {
    WceloadInstall install;
    install.cabinet = std::u16string(cabinet);
    std::uint32_t attributes = 0;
    if (!device_.GetAttributes(cabinet, &attributes) || (attributes & DEVICE_ATTR_DIRECTORY)) {
        install.problem = u"no such cabinet";
        return install;
    }
    SetupInfo info{};
    const bool known = ReadCabinetSetup(device_, cabinet, &info);
    const std::u16string app = known && IsFolderName(AnsiToUtf16(info.appName))
                                   ? AnsiToUtf16(info.appName)
                                   : FileStem(cabinet);
    install.folder = overrideFolder ? *overrideFolder : std::u16string(PROGRAM_FILES) + app;
    std::vector<std::u16string> written;
    {
        CabinetReader reader(device_, cabinet);
        mscabd_cabinet* cab = reader.cabinet();
        if (!cab) {
            install.problem = u"not a cabinet";
        } else {
            MakeFolders(device_, install.folder);
            for (mscabd_file* f = cab->files; f && install.problem.empty(); f = f->next) {
                if (SelectSetupMember(f->filename) != SetupMember::None) continue;
                const std::u16string member = SafeMemberPath(Utf16ToUtf8(MemberName(f)));
                if (member.empty()) continue;
                const std::u16string target = install.folder + u"\\" + member;
                const std::size_t slash = target.find_last_of(u'\\');
                MakeFolders(device_, std::u16string_view(target).substr(0, slash));
                if (reader.Extract(f, target)) {
                    written.push_back(target);
                    ++install.files;
                } else {
                    install.problem = u"cannot unpack " + member;
                    device_.RemoveFile(target);
                }
            }
        }
    }
    if (!install.problem.empty()) {
        // A device's installer takes all of a cabinet or nothing of it.
        for (const std::u16string& path : written) device_.RemoveFile(path);
        install.files = 0;
        return install;
    }
    const std::u16string key = std::u16string(INSTALLED_APPS_KEY) +
                               (known ? AnsiToUtf16(info.provider) : std::u16string()) + u" " + app;
    if (!device_.WriteRegistryText(key, INSTALLED_FOLDER_VALUE, install.folder) ||
        !device_.WriteRegistryNumber(key, INSTALLED_VALUE, 1)) {
        install.problem = u"cannot record the application";
        for (const std::u16string& path : written) device_.RemoveFile(path);
        install.files = 0;
        return install;
    }
    install.installed = true;
    if (deleteAfter && !(attributes & DEVICE_ATTR_READONLY)) device_.RemoveFile(cabinet);
    return install;
}

std::uint32_t EmulatedWceload::Run(std::u16string_view commandLine) {
    Journal(commandLine);
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

    const auto values = registry_.Values();
    auto folderFor = [&](const std::u16string& cabinet, std::u16string* folder) {
        for (const auto& [name, value] : values) {
            if (!EqualsIgnoringCase(Unquoted(name), cabinet)) continue;
            *folder = (!value.empty() && IsSeparator(value[0])) ? value : u"\\" + value;
            while (folder->size() > 1 && IsSeparator(folder->back())) folder->pop_back();
            registry_.Delete(name);
            return true;
        }
        return false;
    };

    if (cabinets.empty()) {
        for (const auto& entry : values) cabinets.push_back(Unquoted(entry.first));
    }
    std::uint32_t exitCode = 0;
    for (const std::u16string& cabinet : cabinets) {
        std::u16string folder;
        const bool chosen = folderFor(cabinet, &folder);
        runs_.back().installs.push_back(Install(cabinet, chosen ? &folder : nullptr, deleteAfter));
        const WceloadInstall& install = runs_.back().installs.back();
        if (!install.installed) {
            exitCode = 1;
            Journal(std::u16string(1, WCELOAD_PROBLEM_MARK) + u" " + cabinet + u": " +
                    install.problem);
        }
        if (afterInstall) afterInstall(install);
    }
    return exitCode;
}

}  // namespace zk
