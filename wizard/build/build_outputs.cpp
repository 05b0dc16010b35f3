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

}  // namespace

std::string BuildOutputs::Add(const std::string& finalPath) {
    const std::string temporary = PartialName(finalPath);
    RemoveIfThere(platform_, temporary);
    outputs_.push_back({finalPath, temporary});
    return temporary;
}

std::string BuildOutputs::Current(const std::string& finalPath) const {
    for (const Output& o : outputs_)
        if (o.finalPath == finalPath) return o.temporaryPath;
    return finalPath;
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
    for (const Output& o : outputs_) RemoveIfThere(platform_, o.temporaryPath);
    outputs_.clear();
    stale_.clear();
}

}  // namespace zk
