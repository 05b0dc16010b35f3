// How a build went. The first failure decides what the user is told; the
// build stops there and leaves no half-written output under its final name.
//
// A failure is one of a closed set of kinds with the file concerned and the
// facts that go with it; no sentence is made until a front shows one
// (BuildFailureText below, or the command-line build's own line), and the
// command-line build takes its exit code from the kind alone.
#pragma once

#include <string>

namespace zk {

enum class BuildFault {
    None,
    CannotRead,        // an input is missing or cannot be read to its end
    InputUnusable,     // an input is there, but a device could not use it
    NameRefused,       // a device cannot keep the name of a file it unpacks
    NamesClash,        // two files the device unpacks differ only in case
    FolderMissing,     // the "Save to" folder is not there
    CannotMakeFolder,  // a date or title subfolder cannot be made, or is no folder
    CannotWriteInto,   // the output folder takes no file (the build's lock)
    CannotWrite,       // an output cannot be created or written
    CannotReplace,     // an earlier output cannot be replaced by the new one
    Busy,              // another build is writing into the output folder
    SignerMissing,     // the signing tool cannot be started (installer_signer.h)
    SigningFailed,     // the signing tool could not sign an output
    Interrupted,       // a signal, or the window closed, stopped the build
};

struct BuildOutcome {
    BuildFault fault = BuildFault::None;
    // The file or folder concerned: for NamesClash the later of the two
    // names, for Busy and Interrupted the output folder, for SignerMissing
    // the signing tool's name, for SigningFailed the output (its final name).
    std::string file;
    // What only the kind cannot say:
    //   InputUnusable  what is wrong with the file ("is 5 bytes long; ...")
    //   NameRefused    the file's role ("cabinet 2", "the EULA")
    //   NamesClash     both files, role and name ("the EULA (a.txt) and
    //                  the read-me (A.TXT)")
    //   SigningFailed  what the signing tool said ("Unrecognized file type")
    std::string detail;
    // The system's reason for a failed read or write (or for a signing tool
    // that cannot be started), when it gave one; for
    // NameRefused what the name does that a device refuses ("holds the
    // character ':'").
    std::string reason;

    bool failed() const { return fault != BuildFault::None; }

    // Records the first failure; later ones are what the first caused.
    void Fail(BuildFault kind, std::string path, std::string what = {}, std::string why = {}) {
        if (failed()) return;
        fault = kind;
        file = std::move(path);
        detail = std::move(what);
        reason = std::move(why);
    }
};

// The failure as the message boxes and `check` show it after "Build failed: "
// ("cannot read C:\in\a.cab: The system cannot find the file specified").
// Empty for an outcome that did not fail.
std::string BuildFailureText(const BuildOutcome& outcome);

}  // namespace zk
