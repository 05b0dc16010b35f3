// The files one build writes into the output folder. Each is written under a
// temporary name beside its final one, and all of them are moved over their
// final names together once every one is complete and closed: until then the
// earlier outputs stay exactly as they were, and a build that fails or is
// interrupted leaves them so, with no temporary behind.
//
// A step that makes a new version of a complete output from it (signing,
// which cannot write over the file it reads) writes it under the output's
// revision name and then puts it over the temporary with Revise; the
// revision is a temporary too, removed with the others.
#pragma once

#include <string>
#include <vector>

namespace zk {

class DesktopPlatform;

class BuildOutputs {
public:
    explicit BuildOutputs(DesktopPlatform& platform) : platform_(platform) {}
    // What was not committed is abandoned.
    ~BuildOutputs() { Abandon(); }
    BuildOutputs(const BuildOutputs&) = delete;
    BuildOutputs& operator=(const BuildOutputs&) = delete;

    // Registers an output and gives the temporary name to write it under
    // (a temporary left by an earlier build that ended abruptly is removed).
    std::string Add(const std::string& finalPath);
    // The temporary of a registered output; the path itself otherwise.
    std::string Current(const std::string& finalPath) const;
    // The name to write a new version of a registered output under, beside
    // its temporary and as long a name ("….revised").
    std::string RevisionName(const std::string& finalPath) const;
    // Moves the revision over the output's temporary. False, with the
    // system's reason in `*reason`, when it cannot.
    bool Revise(const std::string& finalPath, std::string* reason);
    // A file of an earlier build that this one does not make again, removed
    // only when the build completes.
    void RemoveOnCommit(const std::string& path);

    // Moves every temporary over its final name, the last added first (the
    // desktop installer, which a user may be running and Windows then
    // refuses to replace: a refusal there leaves every earlier output as it
    // was), then removes what RemoveOnCommit named. False when a move
    // fails, with the file that could not be replaced in `*failed` and the
    // system's reason in `*reason`: the temporaries not yet moved are
    // removed.
    bool Commit(std::string* failed, std::string* reason);
    // Removes every temporary (and revision) not yet moved.
    void Abandon();

private:
    struct Output {
        std::string finalPath;
        std::string temporaryPath;
    };
    DesktopPlatform& platform_;
    std::vector<Output> outputs_;
    std::vector<std::string> stale_;
};

}  // namespace zk
