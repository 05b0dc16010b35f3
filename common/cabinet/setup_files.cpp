#include "common/cabinet/setup_files.h"

#include <cstring>
#include <vector>

#include <mspack.h>

#include "common/cabinet/member_folders.h"
#include "common/cabinet/mspack_port.h"
#include "platform/desktop_platform.h"
#include "platform/path_text.h"

namespace zk {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EndsWith(const char* name, std::size_t length, const char* suffix) {
    for (std::size_t i = 0; i < 4; ++i)
        if (Lower(name[length - 4 + i]) != suffix[i]) return false;
    return true;
}

class Decompressor {
public:
    explicit Decompressor(mspack_system* system) : cabd_(mspack_create_cab_decompressor(system)) {}
    ~Decompressor() {
        if (cab_) cabd_->close(cabd_, cab_);
        if (cabd_) mspack_destroy_cab_decompressor(cabd_);
    }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    bool Open(const std::string& path) {
        if (!cabd_) return false;
        cab_ = cabd_->open(cabd_, path.c_str());
        return cab_ != nullptr;
    }
    mscab_decompressor* get() { return cabd_; }
    mscabd_cabinet* cabinet() { return cab_; }

private:
    mscab_decompressor* cabd_;
    mscabd_cabinet* cab_ = nullptr;
};

// How each member of a part of a set lies against the part's ends.
struct Continuation {
    bool fromPrevious = false;
    bool toNext = false;
};

std::vector<Continuation> ContinuationsOf(DesktopPlatform& platform, const std::string& path,
                                          mscabd_cabinet* cab) {
    std::vector<Continuation> out;
    if (!(cab->flags & (MSCAB_HDR_PREVCAB | MSCAB_HDR_NEXTCAB))) return out;
    std::vector<std::uint16_t> indexes;
    if (!ReadMemberFolderIndexes(platform, path, indexes)) return out;
    std::size_t listed = 0;
    for (mscabd_file* f = cab->files; f; f = f->next) ++listed;
    if (listed != indexes.size()) return out;

    // A folder that begins in the previous part cannot be decoded from this
    // one, whichever of its members begins there: libmspack refuses all of
    // them. That folder is always the first.
    bool firstFolderContinues = false;
    for (std::uint16_t index : indexes)
        if (index == FOLDER_CONTINUED_FROM_PREVIOUS || index == FOLDER_CONTINUED_BOTH_WAYS)
            firstFolderContinues = true;
    std::size_t i = 0;
    for (mscabd_file* f = cab->files; f; f = f->next, ++i) {
        Continuation c;
        c.fromPrevious = firstFolderContinues && f->folder == cab->folders;
        c.toNext = indexes[i] == FOLDER_CONTINUED_TO_NEXT;
        out.push_back(c);
    }
    return out;
}

}  // namespace

SetupFilePaths SetupFilePathsOf(DesktopPlatform& platform) {
    const std::string folder = platform.TemporaryFolder();
    const char separator = platform.PathSeparator();
    return {JoinPath(folder, separator, SETUP_HEADER_FILE_NAME),
            JoinPath(folder, separator, SETUP_XML_FILE_NAME)};
}

SetupMember SelectSetupMember(const char* storedName) {
    if (!storedName) return SetupMember::None;
    const std::size_t length = std::strlen(storedName);
    if (length < 4) return SetupMember::None;
    if (EndsWith(storedName, length, ".000")) return SetupMember::Header;
    if (EndsWith(storedName, length, ".xml")) return SetupMember::Xml;
    return SetupMember::None;
}

bool ExtractSetupFiles(DesktopPlatform& platform, const std::string& cabinetPath) {
    int selftest = MSPACK_ERR_OK;
    MSPACK_SYS_SELFTEST(selftest);
    if (selftest != MSPACK_ERR_OK) return false;

    MspackPortSystem system(platform);
    Decompressor decompressor(system.Table());
    if (!decompressor.Open(cabinetPath)) return false;
    mscab_decompressor* cabd = decompressor.get();
    mscabd_cabinet* cab = decompressor.cabinet();
    const SetupFilePaths targets = SetupFilePathsOf(platform);
    const std::vector<Continuation> continuations = ContinuationsOf(platform, cabinetPath, cab);

    std::size_t i = 0;
    for (mscabd_file* f = cab->files; f; f = f->next, ++i) {
        const SetupMember kind = SelectSetupMember(f->filename);
        if (kind == SetupMember::None) continue;
        const Continuation c = i < continuations.size() ? continuations[i] : Continuation{};
        if (c.fromPrevious) continue;
        const std::string& target = kind == SetupMember::Header ? targets.header : targets.xml;
        system.ResetWriteState();
        if (c.toNext) {
            // Salvage mode decodes to the end of this part's data instead of
            // refusing the member; what it wrote is what this part holds.
            cabd->set_param(cabd, MSCABD_PARAM_SALVAGE, 1);
            cabd->extract(cabd, f, target.c_str());
            cabd->set_param(cabd, MSCABD_PARAM_SALVAGE, 0);
            if (system.CreateFailed() || system.WriteFailed()) return false;
            continue;
        }
        const int error = cabd->extract(cabd, f, target.c_str());
        if (error != MSPACK_ERR_OK || system.CreateFailed() || system.WriteFailed()) return false;
    }
    return true;
}

}  // namespace zk
