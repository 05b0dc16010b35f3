// zephyrkit-project publish: the installers of a project built into a folder
// a web server (or `serve`) hands out as it is — the installers under names a
// stylus can type (site_names.h), the download page, SHA256SUMS and the two
// web servers' settings.
//
// The build runs as `build` does, into a hidden working folder inside the
// site folder; then every file of the site is written under a temporary name
// beside its final one and all are moved in place together, the page last,
// as the build's own outputs are. A publish that fails or is interrupted
// leaves an earlier site exactly as it was. Installers an earlier publish
// listed in its SHA256SUMS and this one does not make again (another title,
// no more autorun.exe) go when the new site is in place; nothing else of the
// folder is touched. One publish at a time writes into a folder.
#pragma once

#include <ostream>
#include <string>

#include "wizard/ui/shell/command_line_build.h"

namespace zk {

struct WizardContext;

// The hidden working folder and the lock, inside the site folder.
inline constexpr const char* PUBLISH_WORK_FOLDER_NAME = ".zephyrkit-publish";
inline constexpr const char* PUBLISH_LOCK_FILE_NAME = ".zephyrkit-publish.lock";

struct PublishOptions {
    std::string folder;             // the site folder, whole, made when missing
    std::string baseUrl;            // the site's address, shown on the page; may be empty
    CommandLineBuildOptions build;  // its output and subfolders are publish's
};

// Whether `url` can stand as the site's address: http:// or https://, then
// no blank, quote, angle bracket or control character. `normal` gets it
// without a trailing '/'.
bool UsableBaseUrl(const std::string& url, std::string* normal);

// Exit codes as the command-line build's (command_line_build.h); messages
// "zephyrkit-project: FILE: what is wrong" on `err`; unless quiet, a line
// per file published on `out`.
// The installers are signed by `signer` when options.build.signing asks for
// it, as build signs them.
int RunPublish(WizardContext& ctx, const std::string& projectPath, const PublishOptions& options,
               InstallerSigner* signer, std::ostream& out, std::ostream& err);

}  // namespace zk
