#include "inspector/package_walk.h"

#include <cstdio>
#include <cstring>
#include <zlib.h>
#include <vector>

#include "common/ansi_text.h"
#include "common/certificate_table.h"
#include "common/fixed_text.h"
#include "common/little_endian.h"
#include "common/package_layout.h"
#include "common/utf16_text.h"
#include "common/zip_layout.h"
#include "device/installer/package_sections.h"
#include "device/unzip/file_range.h"
#include "device/unzip/zip_archive.h"
#include "platform/desktop_platform.h"
#include "platform/path_text.h"
#include "wizard/project/project_file.h"

namespace zk {
namespace {

constexpr char16_t SCRATCH_ZIP[] = u"\\section.zip";
constexpr char16_t SCRATCH_PROJECT[] = u"\\project.paw";
constexpr const char* SCRATCH_PROJECT_NAME = "project.paw";
// System information, project, splash, EULA, read-me and every cabinet: a
// package without a readable project is walked no further than this.
constexpr std::size_t MAX_SECTIONS = 5 + MAX_CABINETS;

std::string StatusText(UnzipStatus code) {
    char16_t text[128];
    DescribeStatus(code, text, sizeof text / sizeof text[0]);
    return Utf16ToUtf8(TextOf16(text));
}

std::string SectionLabel(const SectionFacts& s) {
    std::string label = "section " + std::to_string(s.number) + " (" + SectionRoleName(s.role);
    if (s.role == SectionRole::Cabinet)
        label += " " + std::to_string(s.cabinetIndex) + ", " + s.cabinetFileName;
    return label + ")";
}

std::string Hex8(std::uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    return EqualsIgnoringCase(Utf8ToUtf16(a), Utf8ToUtf16(b));
}

class Walk {
public:
    Walk(DesktopPlatform& desktop, ScratchSpace& scratch, const WalkOptions& options,
         PackageFacts& facts)
        : desktop_(desktop), scratch_(scratch), options_(options), f_(facts) {}

    void Run(DeviceFile& package);

private:
    void Fault(std::uint64_t offset, std::string message) {
        f_.faults.push_back({offset, std::move(message)});
    }
    // Reads the next section; false when the walk cannot go on past it.
    bool TakeSection(DeviceFile& stream, SectionFacts& s);
    void InspectArchive(SectionFacts& s);
    void CheckRole(SectionFacts& s, ZipArchive* archive);
    void TestMember(const SectionFacts& s, std::int32_t index, ZipArchive* archive, MemberFacts& m);
    void LoadProject(SectionFacts& s, ZipArchive* archive);
    void AnnounceSections();
    void CheckShownFileNames(const SectionFacts& s);

    DesktopPlatform& desktop_;
    ScratchSpace& scratch_;
    const WalkOptions& options_;
    PackageFacts& f_;
    std::uint64_t position_ = 0;
    std::vector<SectionFacts> expected_;
};

void Walk::Run(DeviceFile& package) {
    std::uint64_t size = 0;
    f_.readable = package.Seek(0, DeviceSeek::End) && package.Tell(&size);
    if (!f_.readable) {
        Fault(0, "the file cannot be read");
        return;
    }
    f_.fileSize = size;

    std::uint64_t base = 0, end = size;
    // A device package's first section is a zip: its local header follows
    // the count. A desktop installer carries a program after its count.
    unsigned char first[SECTION_HEADER_SIZE + 4];
    const bool zipFirst = size >= options_.stubLength + sizeof first &&
                          ReadDeviceFileAt(&package, options_.stubLength, first, sizeof first) &&
                          GetU32(first + SECTION_HEADER_SIZE) == ZIP_LOCAL_HEADER_SIGNATURE;
    unsigned char head[SECTION_HEADER_SIZE + 2];
    const std::uint64_t d = options_.desktopStubLength;
    if (!zipFirst && size >= d + sizeof head && ReadDeviceFileAt(&package, d, head, sizeof head) &&
        head[SECTION_HEADER_SIZE] == 'M' && head[SECTION_HEADER_SIZE + 1] == 'Z') {
        f_.desktop = true;
        f_.desktopStubLength = d;
        f_.carriedDeclared = GetU32(head);
        f_.carriedOffset = base = d + SECTION_HEADER_SIZE;
        const std::uint64_t present = size - base;
        if (f_.carriedDeclared > present) {
            Fault(d, "the desktop installer's section declares " +
                         std::to_string(f_.carriedDeclared) + " bytes, but only " +
                         std::to_string(present) + " follow: the carried package is cut");
        } else if (f_.carriedDeclared < present) {
            end = base + f_.carriedDeclared;
            if (!EndsInCertificateTable(ReadDeviceFileAt, &package, end, size, &f_.signatureBytes))
                Fault(end, std::to_string(present - f_.carriedDeclared) +
                               " bytes follow the carried package");
        }
        f_.carriedLength = end - base;
    }

    char magic[2];
    if (end - base < sizeof magic || !ReadDeviceFileAt(&package, base, magic, sizeof magic) ||
        magic[0] != 'M' || magic[1] != 'Z')
        Fault(base, "the device package does not start with a program (\"MZ\")");
    f_.stubLength = options_.stubLength;
    if (end - base <= f_.stubLength) {
        Fault(end, "the device package ends at " + std::to_string(end - base) +
                       " bytes, within its " + std::to_string(f_.stubLength) +
                       "-byte stub: it holds no section");
        return;
    }

    position_ = base + f_.stubLength;
    FileRange stream(package, position_, end);
    expected_ = {SectionFacts{}, SectionFacts{}};
    expected_[0].role = SectionRole::SystemInfo;
    expected_[1].role = SectionRole::Project;
    bool projectKnown = true;
    for (std::size_t i = 0; i < expected_.size() || (!projectKnown && position_ < end); ++i) {
        if (i == MAX_SECTIONS) {
            Fault(position_, "more sections follow than any project announces");
            break;
        }
        SectionFacts s = i < expected_.size() ? expected_[i] : SectionFacts{};
        s.number = static_cast<int>(i) + 1;
        const bool goOn = TakeSection(stream, s);
        f_.sections.push_back(s);
        if (!goOn) break;
        if (s.role == SectionRole::Project) {
            if (f_.projectLoaded) {
                AnnounceSections();
            } else {
                projectKnown = false;
                Fault(s.offset,
                      "without the project record the sections that follow cannot be "
                      "told apart");
            }
        }
        if (s.role == SectionRole::Splash || s.role == SectionRole::Eula ||
            s.role == SectionRole::ReadMe)
            CheckShownFileNames(s);
        if (i + 1 == expected_.size() && projectKnown && position_ < end) {
            // The package signed on its own: the table is relative to its start.
            FileRange program(package, base, end);
            std::uint64_t& signature = f_.desktop ? f_.carriedSignatureBytes : f_.signatureBytes;
            if (!EndsInCertificateTable(ReadDeviceFileAt, &program, position_ - base, end - base,
                                        &signature))
                Fault(position_, std::to_string(end - position_) +
                                     " bytes follow the last section the project announces");
        }
    }
    scratch_.device.RemoveFile(SCRATCH_ZIP);
}

// The splash, EULA and read-me are all unpacked into one folder on the
// device and shown from there later: two of them under one name leave the
// first one's page showing the second one's file.
void Walk::CheckShownFileNames(const SectionFacts& s) {
    if (s.members.empty()) return;
    for (const SectionFacts& earlier : f_.sections) {
        if (earlier.number >= s.number || earlier.members.empty() ||
            (earlier.role != SectionRole::Splash && earlier.role != SectionRole::Eula &&
             earlier.role != SectionRole::ReadMe))
            continue;
        if (SameNameIgnoringCase(earlier.members.back().name, s.members.back().name))
            Fault(s.offset + SECTION_HEADER_SIZE,
                  SectionLabel(s) + " unpacks as \"" + s.members.back().name + "\" over " +
                      SectionLabel(earlier) + ": the device shows this file for both");
    }
}

void Walk::AnnounceSections() {
    const Project& p = *f_.project;
    auto add = [&](SectionRole role) {
        SectionFacts s;
        s.role = role;
        expected_.push_back(s);
    };
    if (p.splashEnabled) add(SectionRole::Splash);
    if (p.eulaEnabled) add(SectionRole::Eula);
    if (p.readmeEnabled) add(SectionRole::ReadMe);
    for (int i = 0; i < CabinetCount(p); ++i) {
        SectionFacts s;
        s.role = SectionRole::Cabinet;
        s.cabinetIndex = i;
        s.cabinetFileName = AnsiToUtf8(TextOf(p.cabinets[i].fileName));
        expected_.push_back(s);
    }
}

bool Walk::TakeSection(DeviceFile& stream, SectionFacts& s) {
    s.offset = position_;
    const TakenSection taken = CopySection(scratch_.device, stream, SCRATCH_ZIP);
    s.declared = taken.declared;
    s.present = taken.copied;
    switch (taken.fate) {
    case SectionFate::Missing:
        Fault(position_, SectionLabel(s) + " is missing: the file ends here");
        return false;
    case SectionFate::CountCut:
        Fault(position_, SectionLabel(s) + " has its byte count cut off: the file ends here");
        return false;
    case SectionFate::Cut:
        Fault(position_, SectionLabel(s) + " declares " + std::to_string(taken.declared) +
                             " bytes, but only " + std::to_string(taken.copied) +
                             " are left: the package is cut");
        return false;
    case SectionFate::Whole: break;
    }
    s.whole = true;
    if (!taken.written) {
        Fault(position_,
              SectionLabel(s) + " cannot be copied to the scratch folder " + scratch_.hostFolder);
    } else {
        InspectArchive(s);
    }
    position_ += SECTION_HEADER_SIZE + taken.copied;
    return true;
}

void Walk::InspectArchive(SectionFacts& s) {
    const std::uint64_t data = s.offset + SECTION_HEADER_SIZE;
    std::unique_ptr<DeviceFile> zip = scratch_.device.OpenFile(SCRATCH_ZIP, DeviceOpenMode::Read);
    DevicePlatform& target = options_.extractTo ? *options_.extractTo : scratch_.device;
    ZipArchive* archive = zip ? OpenArchiveFromHandle(target, zip.get(), nullptr) : nullptr;
    if (!archive) {
        s.openStatus = MostRecentStatus();
        // The reader says a file that is no archive "cannot be opened".
        Fault(data, SectionLabel(s) + " is not a zip archive" +
                        (s.openStatus == UNZIP_NO_FILE ? std::string()
                                                       : ": " + StatusText(s.openStatus)));
        return;
    }
    s.opened = true;
    SetExtractFolder(archive, u"\\");
    ZipItem item;
    GetItem(archive, -1, &item);
    const std::int32_t count = item.index;
    for (std::int32_t i = 0; i < count; ++i) {
        MemberFacts m;
        ZipItemStorage storage;
        UnzipStatus status = GetItemStorage(archive, i, &storage);
        if (status == UNZIP_OK) status = GetItem(archive, i, &item);
        if (status != UNZIP_OK) {
            Fault(data, SectionLabel(s) + ": member " + std::to_string(i + 1) + " of " +
                            std::to_string(count) + " cannot be read: " + StatusText(status));
            // The directory is read in order: no later member can be reached.
            if (status == UNZIP_CORRUPT) break;
            continue;
        }
        m.name = Utf16ToUtf8(TextOf16(item.name));
        m.storedName = Utf16ToUtf8(TextOf16(storage.storedName));
        m.method = storage.method;
        m.flags = storage.flags;
        m.crc = storage.crc;
        m.compressedSize = storage.compressedSize;
        m.uncompressedSize = storage.uncompressedSize;
        if (m.name != m.storedName) {
            Fault(data, SectionLabel(s) + ": the member stored as \"" + m.storedName +
                            "\" is no plain name; the device writes it as \"" + m.name + "\"");
        }
        if (options_.testMembers) TestMember(s, i, archive, m);
        if (options_.extractTo && !m.name.empty()) {
            m.extracted = true;
            m.extractStatus = ExtractItemToFile(archive, i, TextOf16(item.name));
            if (m.extractStatus != UNZIP_OK) {
                Fault(data, SectionLabel(s) + ": member \"" + m.storedName +
                                "\" cannot be extracted: " + StatusText(m.extractStatus));
            }
        }
        s.members.push_back(std::move(m));
    }
    CheckRole(s, archive);
    CloseArchive(archive);
}

// Where a tested member's data goes: counted and its CRC taken, nothing kept.
class CrcSink : public DeviceFile {
public:
    std::size_t Read(void*, std::size_t) override { return 0; }
    std::size_t Write(const void* buffer, std::size_t bytes) override {
        crc_ = crc32(crc_, static_cast<const Bytef*>(buffer), static_cast<uInt>(bytes));
        count_ += bytes;
        return bytes;
    }
    bool Seek(std::int64_t, DeviceSeek) override { return false; }
    bool Tell(std::uint64_t* position) override {
        *position = count_;
        return true;
    }
    bool SetTimes(const DeviceFileTimes&) override { return true; }
    bool Close() override { return true; }

    std::uint64_t count() const { return count_; }
    std::uint32_t crc() const { return static_cast<std::uint32_t>(crc_); }

private:
    uLong crc_ = crc32(0L, Z_NULL, 0);
    std::uint64_t count_ = 0;
};

// Unpacks the member as the device would. The reader reports a CRC that does
// not match as a decoding failure; the CRC is also taken here, so that a
// member whose data all came out but differs from what was packed is named
// for what it is.
void Walk::TestMember(const SectionFacts& s, std::int32_t index, ZipArchive* archive,
                      MemberFacts& m) {
    CrcSink sink;
    m.tested = true;
    m.testStatus = ExtractItemToHandle(archive, index, &sink);
    if (m.testStatus == UNZIP_OK) return;
    const std::uint64_t data = s.offset + SECTION_HEADER_SIZE;
    if (m.testStatus == UNZIP_FLATE && sink.count() == m.uncompressedSize && sink.crc() != m.crc) {
        Fault(data, SectionLabel(s) + ": member \"" + m.storedName + "\" fails its CRC check: " +
                        "its data gives " + Hex8(sink.crc()) + ", the archive says " + Hex8(m.crc));
        return;
    }
    Fault(data, SectionLabel(s) + ": member \"" + m.storedName +
                    "\" does not unpack: " + StatusText(m.testStatus));
}

void Walk::CheckRole(SectionFacts& s, ZipArchive* archive) {
    const std::uint64_t data = s.offset + SECTION_HEADER_SIZE;
    const std::size_t count = s.members.size();
    if (count == 0) {
        Fault(data, SectionLabel(s) + " holds no member");
        if (s.role == SectionRole::Project) LoadProject(s, nullptr);
        return;
    }
    switch (s.role) {
    case SectionRole::SystemInfo: {
        bool found = false;
        for (const MemberFacts& m : s.members)
            found = found || SameNameIgnoringCase(m.name, SYSTEM_INFO_TOOL_MEMBER_NAME);
        if (!found)
            Fault(data, SectionLabel(s) + " holds no " + SYSTEM_INFO_TOOL_MEMBER_NAME +
                            ": the device cannot learn its facts and skips every cabinet");
        return;
    }
    case SectionRole::Project:
        if (count != 1)
            Fault(data, SectionLabel(s) + " holds " + std::to_string(count) +
                            " members; the device reads the last");
        LoadProject(s, archive);
        return;
    case SectionRole::Splash:
    case SectionRole::Eula:
    case SectionRole::ReadMe:
        if (count != 1)
            Fault(data, SectionLabel(s) + " holds " + std::to_string(count) +
                            " members; the device shows the last, \"" + s.members.back().name +
                            "\"");
        return;
    case SectionRole::Cabinet:
        if (count != 1)
            Fault(data, SectionLabel(s) + " holds " + std::to_string(count) + " members, not one");
        if (!SameNameIgnoringCase(s.members.back().name, s.cabinetFileName))
            Fault(data, SectionLabel(s) + ": its member is named \"" + s.members.back().name +
                            "\", but the device installs \"" + s.cabinetFileName + "\"");
        return;
    case SectionRole::Unknown: return;
    }
}

// The device reads the last member extracted as the project record.
void Walk::LoadProject(SectionFacts& s, ZipArchive* archive) {
    const std::uint64_t data = s.offset + SECTION_HEADER_SIZE;
    if (!archive || s.members.empty()) return;
    const MemberFacts& last = s.members.back();
    if (last.uncompressedSize != PROJECT_RECORD_SIZE) {
        Fault(data, SectionLabel(s) + ": its member \"" + last.name + "\" holds " +
                        std::to_string(last.uncompressedSize) + " bytes, not a project record of " +
                        std::to_string(PROJECT_RECORD_SIZE));
        return;
    }
    std::unique_ptr<DeviceFile> out =
        scratch_.device.OpenFile(SCRATCH_PROJECT, DeviceOpenMode::CreateWrite);
    UnzipStatus status =
        out ? ExtractItemToHandle(archive, static_cast<std::int32_t>(s.members.size() - 1),
                                  out.get())
            : UNZIP_NO_FILE;
    if (out && !out->Close() && status == UNZIP_OK) status = UNZIP_WRITE_FAILED;
    auto project = std::make_unique<Project>();
    std::memset(project.get(), 0, sizeof(Project));
    const std::string recordPath =
        JoinPath(scratch_.hostFolder, desktop_.PathSeparator(), SCRATCH_PROJECT_NAME);
    const bool read = status == UNZIP_OK && ReadProjectFile(desktop_, *project, recordPath.c_str());
    scratch_.device.RemoveFile(SCRATCH_PROJECT);
    if (!read) {
        Fault(data, SectionLabel(s) + ": the project record cannot be read" +
                        (status != UNZIP_OK ? ": " + StatusText(status) : std::string()));
        return;
    }
    if (project->cabinetCount < 0 || project->cabinetCount > MAX_CABINETS) {
        Fault(data, SectionLabel(s) + ": the project record's cabinet count " +
                        std::to_string(project->cabinetCount) + " is out of range");
        return;
    }
    f_.project = std::move(project);
    f_.projectLoaded = true;
    f_.projectMemberName = last.name;
}

}  // namespace

const char* SectionRoleName(SectionRole role) {
    switch (role) {
    case SectionRole::SystemInfo: return "system information";
    case SectionRole::Project: return "project";
    case SectionRole::Splash: return "splash";
    case SectionRole::Eula: return "EULA";
    case SectionRole::ReadMe: return "read-me";
    case SectionRole::Cabinet: return "cabinet";
    case SectionRole::Unknown: return "unknown";
    }
    return "unknown";
}

PackageFacts WalkPackage(DesktopPlatform& desktop, ScratchSpace& scratch, DeviceFile& package,
                         const std::string& path, const WalkOptions& options) {
    PackageFacts facts;
    facts.path = path;
    Walk walk(desktop, scratch, options, facts);
    walk.Run(package);
    return facts;
}

std::string FaultLine(const PackageFault& fault) {
    return "offset " + std::to_string(fault.offset) + ": " + fault.message;
}

}  // namespace zk
