#include "delivery/publish.h"

#include <memory>
#include <vector>

#include "common/fixed_text.h"
#include "delivery/checksums.h"
#include "delivery/device_words.h"
#include "delivery/download_page.h"
#include "delivery/server_configs.h"
#include "delivery/site_names.h"
#include "platform/desktop_platform.h"
#include "platform/interruptible_platform.h"
#include "platform/interruption.h"
#include "platform/path_text.h"
#include "wizard/build/build_outputs.h"
#include "wizard/build/build_run.h"
#include "wizard/project/wizard_context.h"

namespace zk {
namespace {

// An installer the build made, and the name the site gives it.
struct Installer {
    std::string built;
    std::string published;
    SiteFile* facts;
};

class Publish {
public:
    Publish(WizardContext& ctx, const PublishOptions& options, std::ostream& out, std::ostream& err)
        : ctx_(ctx),
          watched_(ctx.platform, [] { return InterruptionSignal() != 0; }),
          options_(options),
          out_(out),
          err_(err),
          outputs_(ctx.platform) {}

    int Run(const std::string& projectPath, InstallerSigner* signer);

private:
    int Say(const std::string& file, const std::string& text, int code) {
        err_ << "zephyrkit-project: " << file << ": " << text << "\n";
        return code;
    }
    int CannotWrite(const std::string& file) {
        const std::string reason = ctx_.platform.LastFailureReason();
        return Say(file, "cannot write" + (reason.empty() ? "" : ": " + reason),
                   BUILD_WRITE_FAILED);
    }
    std::string InSite(const std::string& name) const {
        return JoinPath(options_.folder, ctx_.platform.PathSeparator(), name);
    }
    int Interrupted() {
        outputs_.Abandon();
        return Say(options_.folder, "interrupted: the site is as it was",
                   InterruptedExitCode(InterruptionSignal()));
    }
    bool WriteText(const std::string& path, const std::string& text);
    std::string ReadSmallText(const std::string& path);
    void RemoveWorkFolder(const std::string& work);
    int PlaceSite(std::vector<Installer>& installers, DownloadPageFacts& page);
    void PrintSite(const std::vector<Installer>& installers);

    WizardContext& ctx_;
    InterruptiblePlatform watched_;
    const PublishOptions& options_;
    std::ostream& out_;
    std::ostream& err_;
    BuildOutputs outputs_;
};

bool Publish::WriteText(const std::string& path, const std::string& text) {
    std::unique_ptr<FileHandle> file = watched_.OpenFile(path, FileMode::CreateWrite);
    if (!file) return false;
    const bool written = file->Write(text.data(), text.size()) == text.size();
    return file->Close() && written;
}

// An earlier SHA256SUMS; empty when there is none or it is no list of ours
// (a list longer than any publish writes is not read).
std::string Publish::ReadSmallText(const std::string& path) {
    constexpr std::size_t MOST = 64 * 1024;
    std::unique_ptr<FileHandle> file = ctx_.platform.OpenFile(path, FileMode::Read);
    if (!file) return {};
    std::string text(MOST + 1, '\0');
    text.resize(ReadFull(*file, text.data(), text.size()));
    return text.size() > MOST ? std::string() : text;
}

// What a build that completed leaves there: the project file beside the
// installers, which have gone to the site. A folder something else was put
// in stays, hidden, as it is.
void Publish::RemoveWorkFolder(const std::string& work) {
    const char sep = ctx_.platform.PathSeparator();
    ctx_.platform.RemoveFile(JoinPath(work, sep, TextOf(ctx_.state.projectName) + ".paw"));
    ctx_.platform.RemoveFolder(work);
}

int Publish::PlaceSite(std::vector<Installer>& installers, DownloadPageFacts& page) {
    // Moved in place in the reverse order of their adding: the installers
    // first, the page that links to them last.
    const std::vector<std::string> texts = {INDEX_FILE_NAME, SUMS_FILE_NAME, HTACCESS_FILE_NAME,
                                            NGINX_FILE_NAME};
    for (const std::string& name : texts) outputs_.Add(InSite(name));
    for (auto i = installers.rbegin(); i != installers.rend(); ++i)
        outputs_.Add(InSite(i->published));

    std::vector<SiteFile> sums;
    for (Installer& installer : installers) {
        const std::string temporary = outputs_.Current(InSite(installer.published));
        if (!ctx_.platform.RenameFile(installer.built, temporary)) return CannotWrite(temporary);
        installer.facts->name = installer.published;
        if (!HashFile(watched_, temporary, installer.facts)) {
            if (watched_.Interrupted()) return Interrupted();
            const std::string reason = ctx_.platform.LastFailureReason();
            return Say(temporary, "cannot read" + (reason.empty() ? "" : ": " + reason),
                       BUILD_MISSING_FILE);
        }
        sums.push_back(*installer.facts);
    }
    const std::string contents[] = {DownloadPageHtml(page), SumsFileText(sums), HtaccessText(),
                                    NginxConfText()};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::string temporary = outputs_.Current(InSite(texts[i]));
        if (!WriteText(temporary, contents[i]))
            return watched_.Interrupted() ? Interrupted() : CannotWrite(temporary);
    }

    // Installers of an earlier publish that this one does not make again.
    for (const std::string& name : NamesInSums(ReadSmallText(InSite(SUMS_FILE_NAME)))) {
        bool again = false;
        for (const Installer& installer : installers) again = again || installer.published == name;
        const bool plain = name.find_first_of("/\\:") == std::string::npos && !name.empty() &&
                           name[0] != '.' && name.size() > 4 &&
                           name.compare(name.size() - 4, 4, ".exe") == 0;
        if (!again && plain) outputs_.RemoveOnCommit(InSite(name));
    }

    if (watched_.Interrupted()) return Interrupted();
    std::string file, reason;
    if (!outputs_.Commit(&file, &reason))
        return Say(file, "cannot replace" + (reason.empty() ? "" : ": " + reason),
                   BUILD_WRITE_FAILED);
    return BUILD_DONE;
}

void Publish::PrintSite(const std::vector<Installer>& installers) {
    for (const Installer& installer : installers)
        out_ << InSite(installer.published) << "\t" << installer.facts->size << " bytes\n";
    out_ << InSite(INDEX_FILE_NAME) << "\n";
    if (!options_.baseUrl.empty())
        out_ << "The address to type on the device: " << options_.baseUrl << "/\n";
}

int Publish::Run(const std::string& projectPath, InstallerSigner* signer) {
    DesktopPlatform& platform = ctx_.platform;
    std::string reason;
    if (!MakeFolders(platform, options_.folder, &reason))
        return Say(options_.folder,
                   "cannot make the folder" + (reason.empty() ? "" : ": " + reason),
                   BUILD_WRITE_FAILED);
    bool busy = false;
    const std::unique_ptr<FileLock> lock =
        platform.LockFile(InSite(PUBLISH_LOCK_FILE_NAME), OUTPUT_LOCK_WAIT_MILLISECONDS, &busy);
    if (!lock) {
        if (busy)
            return Say(options_.folder, "another publish is writing into the folder",
                       BUILD_WRITE_FAILED);
        return Say(options_.folder, "cannot write into the folder: " + platform.LastFailureReason(),
                   BUILD_WRITE_FAILED);
    }

    const std::string work = InSite(PUBLISH_WORK_FOLDER_NAME);
    CommandLineBuildOptions build = options_.build;
    build.output = work;
    build.subfolders = false;
    build.quiet = true;
    if (int code = RunCommandLineBuild(ctx_, projectPath, build, signer, out_, err_)) {
        RemoveWorkFolder(work);
        return code;
    }

    const WizardState& s = ctx_.state;
    const std::string stem = SiteStem(TextOf(s.title));
    DownloadPageFacts page;
    page.title = TextOf(s.title);
    page.company = TextOf(s.company);
    page.builtAt = platform.CurrentUnixTime();
    page.baseUrl = options_.baseUrl;
    page.devices = WhatDevicesGet(ctx_.project);
    std::vector<Installer> installers = {
        {TextOf(s.mobileInstallerPath), MobileSiteName(stem), &page.mobile},
        {TextOf(s.desktopInstallerPath), DesktopSiteName(stem), &page.desktop}};
    if (s.removableCardOutput) {
        page.hasAutorun = true;
        installers.push_back({JoinPath(TextOf(s.workPath), platform.PathSeparator(), "autorun.exe"),
                              AUTORUN_SITE_NAME, &page.autorun});
    }
    const int code = PlaceSite(installers, page);
    if (code != BUILD_DONE) {
        outputs_.Abandon();
        // Installers not yet moved out are the build's; they go with it.
        for (const Installer& installer : installers) platform.RemoveFile(installer.built);
    }
    RemoveWorkFolder(work);
    if (code == BUILD_DONE && !options_.build.quiet) PrintSite(installers);
    return code;
}

}  // namespace

bool UsableBaseUrl(const std::string& url, std::string* normal) {
    const bool scheme = url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0;
    const std::size_t hostStart = url.find("//") + 2;
    if (!scheme || url.size() <= hostStart || url[hostStart] == '/') return false;
    for (unsigned char c : url)
        if (c <= 0x20 || c >= 0x7F || c == '"' || c == '<' || c == '>' || c == '\'' || c == '`')
            return false;
    *normal = url;
    while (normal->size() > hostStart && normal->back() == '/') normal->pop_back();
    return true;
}

int RunPublish(WizardContext& ctx, const std::string& projectPath, const PublishOptions& options,
               InstallerSigner* signer, std::ostream& out, std::ostream& err) {
    Publish publish(ctx, options, out, err);
    return publish.Run(projectPath, signer);
}

}  // namespace zk
