#include "wizard/build/build_outputs.h"

#include "platform/desktop_platform.h"
#include "platform/path_text.h"

namespace zk {

namespace {

// Asked first, so that a file that is not there is no failure whose reason
// could stand for a later one's.
void RemoveIfThere(DesktopPlatform& platform, const std::string& path) {
    FileFacts facts;
    if (platform.GetFileFacts(path, &facts)) platform.RemoveFile(path);
}

// As long as PartialName's, so that the longest path a build writes stays
// the temporary's.
std::string RevisedName(const std::string& finalPath) { return finalPath + ".revised"; }

}  // namespace

std::string BuildOutputs::Add(const std::string& finalPath) {
    const std::string temporary = PartialName(finalPath);
    RemoveIfThere(platform_, temporary);
    RemoveIfThere(platform_, RevisedName(finalPath));
    outputs_.push_back({finalPath, temporary});
    return temporary;
}

std::string BuildOutputs::Current(const std::string& finalPath) const {
    for (const Output& o : outputs_)
        if (o.finalPath == finalPath) return o.temporaryPath;
    return finalPath;
}

std::string BuildOutputs::RevisionName(const std::string& finalPath) const {
    return RevisedName(finalPath);
}

bool BuildOutputs::Revise(const std::string& finalPath, std::string* reason) {
    if (platform_.RenameFile(RevisedName(finalPath), Current(finalPath))) return true;
    *reason = platform_.LastFailureReason();
    return false;
}

void BuildOutputs::RemoveOnCommit(const std::string& path) { stale_.push_back(path); }

bool BuildOutputs::Commit(std::string* failed, std::string* reason) {
    while (!outputs_.empty()) {
        const Output& last = outputs_.back();
        if (!platform_.RenameFile(last.temporaryPath, last.finalPath)) {
            *failed = last.finalPath;
            *reason = platform_.LastFailureReason();
            Abandon();
            return false;
        }
        outputs_.pop_back();
    }
    outputs_.clear();
    for (const std::string& path : stale_) RemoveIfThere(platform_, path);
    stale_.clear();
    return true;
}

void BuildOutputs::Abandon() {
    for (const Output& o : outputs_) {
        RemoveIfThere(platform_, o.temporaryPath);
        RemoveIfThere(platform_, RevisedName(o.finalPath));
    }
    outputs_.clear();
    stale_.clear();
}

}  // namespace zk
