#include "wizard/build/build_inputs.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/fixed_text.h"
#include "common/little_endian.h"
#include "common/package_layout.h"
#include "platform/desktop_platform.h"
#include "wizard/build/build_outcome.h"
#include "wizard/build/package_section.h"
#include "wizard/project/file_name_rules.h"
#include "wizard/project/wizard_context.h"

namespace zk {
namespace {

constexpr std::size_t SCAN_BLOCK = 16 * 1024;

struct DeviceFile {
    std::string role;  // "the EULA", "cabinet 2"
    std::string name;
};

std::vector<DeviceFile> DeviceFiles(const WizardContext& ctx) {
    const WizardState& s = ctx.state;
    std::vector<DeviceFile> files = {{"the system-information tool", SYSTEM_INFO_TOOL_MEMBER_NAME},
                                     {"the project file", TextOf(s.projectName) + ".paw"}};
    if (s.splashEnabled) files.push_back({"the splash", TextOf(s.splashFileName)});
    if (s.eulaEnabled) files.push_back({"the EULA", TextOf(s.eulaFileName)});
    if (s.readmeEnabled) files.push_back({"the read-me", TextOf(s.readmeFileName)});
    for (int i = 0; i < CabinetCount(ctx.project); ++i)
        files.push_back({"cabinet " + std::to_string(i), TextOf(ctx.project.cabinets[i].fileName)});
    return files;
}

bool CheckNames(const WizardContext& ctx, BuildOutcome& outcome) {
    const std::vector<DeviceFile> files = DeviceFiles(ctx);
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string problem = FileNameProblem(files[i].name);
        if (!problem.empty()) {
            outcome.Fail(BuildFault::NameRefused, files[i].name, files[i].role, problem);
            return false;
        }
        for (std::size_t j = 0; j < i; ++j)
            if (SameFileName(files[i].name, files[j].name)) {
                outcome.Fail(BuildFault::NamesClash, files[i].name,
                             files[j].role + " (" + files[j].name + ") and " + files[i].role +
                                 " (" + files[i].name + ")");
                return false;
            }
    }
    return true;
}

// A text the device shows holds no NUL byte: one that does is a program, a
// picture, or text in UTF-16, which the page would show as noise.
bool CheckText(DesktopPlatform& platform, const std::string& path, BuildOutcome& outcome) {
    std::unique_ptr<FileHandle> file = platform.OpenFile(path, FileMode::Read);
    if (!file) return FailRead(platform, outcome, path);
    std::vector<unsigned char> block(SCAN_BLOCK);
    for (std::size_t n; (n = file->Read(block.data(), block.size())) > 0;)
        for (std::size_t i = 0; i < n; ++i)
            if (block[i] == 0) {
                outcome.Fail(BuildFault::InputUnusable, path,
                             "is not a text file (it holds NUL bytes); the device shows the EULA "
                             "and the read-me as text");
                return false;
            }
    return true;
}

// The pictures people save a splash as instead, by their first bytes.
const char* OtherPictureFormat(const unsigned char* head, std::size_t n) {
    auto starts = [&](const char* magic, std::size_t size) {
        return n >= size &&
               std::equal(head, head + size, reinterpret_cast<const unsigned char*>(magic));
    };
    if (starts("\x89PNG", 4)) return "PNG";
    if (starts("\xFF\xD8\xFF", 3)) return "JPEG";
    if (starts("GIF8", 4)) return "GIF";
    if (starts("II*\0", 4) || starts("MM\0*", 4)) return "TIFF";
    if (starts("RIFF", 4)) return "WebP";
    return nullptr;
}

// A bitmap file: a 14-byte file header ("BM", the file's size, the offset of
// the pixels) and an information header whose first field is its own size:
// 12 (OS/2), 40, 52, 56, 108 or 124 bytes. Uncompressed pixels run
// rows of 4-byte multiples, one per line of the picture.
bool CheckSplash(DesktopPlatform& platform, const std::string& path, BuildOutcome& outcome) {
    bool opened = false;
    const std::uint64_t size = FileSizeOf(platform, path, &opened);
    std::unique_ptr<FileHandle> file = platform.OpenFile(path, FileMode::Read);
    if (!opened || !file) return FailRead(platform, outcome, path);
    unsigned char head[54] = {};
    const std::size_t n = file->Read(head, sizeof head);
    auto refuse = [&](const std::string& why) {
        outcome.Fail(BuildFault::InputUnusable, path, why);
        return false;
    };
    if (const char* format = OtherPictureFormat(head, n))
        return refuse(std::string("is a ") + format + " picture: " + format +
                      " is not supported; save the splash as BMP");
    if (n < 2 || head[0] != 'B' || head[1] != 'M')
        return refuse("is not a BMP picture; save the splash as BMP");
    if (n < 26) return refuse("is a cut BMP picture: it ends inside its header");
    const std::uint32_t declared = GetU32(head + 2);
    const std::uint32_t pixelsAt = GetU32(head + 10);
    const std::uint32_t infoSize = GetU32(head + 14);
    std::int64_t width = 0, height = 0;
    std::uint32_t bits = 0, compression = 0;
    if (infoSize == 12) {
        width = GetU16(head + 18);
        height = GetU16(head + 20);
        bits = GetU16(head + 24);
    } else if (infoSize == 40 || infoSize == 52 || infoSize == 56 || infoSize == 108 ||
               infoSize == 124) {
        if (n < 54) return refuse("is a cut BMP picture: it ends inside its header");
        width = static_cast<std::int32_t>(GetU32(head + 18));
        height = static_cast<std::int32_t>(GetU32(head + 22));
        bits = GetU16(head + 28);
        compression = GetU32(head + 30);
    } else {
        return refuse("is not a BMP picture the device can load (an information header of " +
                      std::to_string(infoSize) + " bytes)");
    }
    if (declared > size)
        return refuse("is a cut BMP picture: its header gives " + std::to_string(declared) +
                      " bytes, the file has " + std::to_string(size));
    if (width <= 0 || height == 0 || bits == 0 || bits > 32)
        return refuse("is not a BMP picture the device can load (" + std::to_string(width) + " x " +
                      std::to_string(height) + " pixels of " + std::to_string(bits) + " bits)");
    const std::uint64_t rows = static_cast<std::uint64_t>(height < 0 ? -height : height);
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
    const bool uncompressed = compression == 0 || compression == 3;
    if (pixelsAt >= size || (uncompressed && pixelsAt + rowBytes * rows > size))
        return refuse("is a cut BMP picture: its pixels run past the end of the file");
    return true;
}

}  // namespace

bool CheckBuildInputs(WizardContext& ctx, BuildOutcome& outcome) {
    if (!CheckNames(ctx, outcome)) return false;
    const WizardState& s = ctx.state;
    if (s.splashEnabled && !CheckSplash(ctx.platform, TextOf(s.splashPath), outcome)) return false;
    if (s.eulaEnabled && !CheckText(ctx.platform, TextOf(s.eulaPath), outcome)) return false;
    if (s.readmeEnabled && !CheckText(ctx.platform, TextOf(s.readmePath), outcome)) return false;
    return true;
}

}  // namespace zk
