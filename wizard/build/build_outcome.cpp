#include "wizard/build/build_outcome.h"

namespace zk {

std::string BuildFailureText(const BuildOutcome& o) {
    const std::string why = o.reason.empty() ? "" : ": " + o.reason;
    switch (o.fault) {
    case BuildFault::None: return "";
    case BuildFault::CannotRead: return "cannot read " + o.file + why;
    case BuildFault::InputUnusable: return o.file + " " + o.detail;
    case BuildFault::NameRefused:
        return o.detail + " (" + o.file + "): a device cannot keep a file of this name: it " +
               o.reason;
    case BuildFault::NamesClash:
        return o.detail +
               " would be one file in the device's \\Temp, where names differing only in case "
               "are the same: rename one of them";
    case BuildFault::FolderMissing: return "the folder " + o.file + " does not exist";
    case BuildFault::CannotMakeFolder: return "cannot make the folder " + o.file + why;
    case BuildFault::CannotWriteInto: return "cannot write into the folder " + o.file + why;
    case BuildFault::CannotWrite: return "cannot write " + o.file + why;
    case BuildFault::CannotReplace: return "cannot replace " + o.file + why;
    case BuildFault::Busy: return "another build is writing into " + o.file;
    case BuildFault::SignerMissing:
        return o.file + ", which signs the installers, cannot be started" + why;
    case BuildFault::SigningFailed: return "cannot sign " + o.file + ": " + o.detail;
    case BuildFault::Interrupted:
        return "the build was interrupted; the earlier outputs are left as they were";
    }
    return "";
}

}  // namespace zk
