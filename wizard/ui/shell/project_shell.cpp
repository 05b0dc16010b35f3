#include "wizard/ui/shell/project_shell.h"

#include <array>
#include <filesystem>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <utility>
#include <vector>

#include "common/cabinet/setup_header.h"
#include "common/fixed_text.h"
#include "common/product_version.h"
#include "delivery/publish.h"
#include "delivery/serve.h"
#include "platform/desktop_platform.h"
#include "platform/host_text.h"
#include "platform/memory_page_view.h"
#include "platform/path_text.h"
#include "wizard/build/build_inputs.h"
#include "wizard/build/build_outcome.h"
#include "wizard/build/build_overview.h"
#include "wizard/cabinet/cabinet_filters.h"
#include "wizard/cabinet/cabinet_list.h"
#include "wizard/project/build_settings.h"
#include "wizard/project/page_check.h"
#include "wizard/project/program_entry.h"
#include "wizard/project/project_file.h"
#include "wizard/project/project_json.h"
#include "wizard/project/project_settings_text.h"
#include "wizard/project/wizard_context.h"
#include "wizard/ui/control_ids.h"
#include "wizard/ui/page_builder.h"
#include "wizard/ui/shell/command_line_build.h"
#include "wizard/ui/shell/console_platform.h"

namespace zk {
namespace {

// Windows' MAX_PATH less its terminating zero, and the length of one name
// that Windows' and Linux's file systems allow.
constexpr std::size_t MAX_WINDOWS_PATH_LENGTH = 259;
constexpr std::size_t MAX_FILE_NAME_LENGTH = 255;

constexpr const char* USAGE =
    "Usage: zephyrkit-project COMMAND FILE.paw [ARGUMENTS]\n"
    "\n"
    "Makes and changes Zephyrkit projects without the wizard's window, with the\n"
    "wizard's own checks and messages. Build the installers of a project with\n"
    "`zephyrkit -silent FILE.paw`.\n"
    "\n"
    "Commands:\n"
    "  new FILE.paw --title T --company C [PRESETS]   a new project\n"
    "  set FILE.paw PRESETS...                        change the presets\n"
    "  add FILE.paw CAB...                            add cabinets to the list\n"
    "  remove FILE.paw INDEX|NAME                     remove a cabinet\n"
    "  move FILE.paw FROM TO                          move a cabinet to index TO\n"
    "  flag FILE.paw INDEX|NAME COLUMN yes|no         set a Yes/No cell of the list\n"
    "  show FILE.paw                                  every setting and cabinet\n"
    "  check FILE.paw                                 the checks of steps 1 to 3\n"
    "  export FILE.paw                                the project as JSON, on stdout\n"
    "  import FILE.paw < FILE.json                    the project from JSON\n"
    "  build FILE.paw [--output DIR] [-q] [--sign CERT.pfx]\n"
    "                                                 the installers, as zephyrkit -silent,\n"
    "                                                 signed with --sign\n"
    "  publish FILE.paw --to DIR [--base-url URL]     the installers and a download page,\n"
    "                                                 signed with --sign\n"
    "  serve DIR [--port N] [--bind ADDR]             DIR over HTTP on the local network\n"
    "\n"
    "`zephyrkit-project COMMAND --help` tells more of each command.\n"
    "Exit codes: 0 done, 1 refused (by a check, an admission message or a file\n"
    "that cannot be read or written, standard output included), 2 bad usage;\n"
    "build and publish have more (see `zephyrkit-project build --help`). A\n"
    "refused command writes nothing; writes replace the project file whole.\n"
    "`zephyrkit-project --version` prints the version.\n";

constexpr const char* PRESETS_HELP =
    "Presets (as on the wizard's presets page, then its check runs):\n"
    "  --title T                     application title\n"
    "  --company C                   company name\n"
    "  --eula FILE | --no-eula       EULA text file\n"
    "  --readme FILE | --no-readme   read-me text file\n"
    "  --splash FILE | --no-splash   splash bitmap\n"
    "  --platform-filter LIST | --no-platform-filter\n"
    "                                LIST: pocketpc,smartphone\n"
    "  --os-filter LIST | --no-os-filter\n"
    "                                LIST: 2002,2003,2003se,wm5\n"
    "  --processor-filter LIST | --no-processor-filter\n"
    "                                LIST: intel,ti,samsung\n"
    "  --removable-card yes|no       also write autorun.exe\n"
    "  --device-settings yes|no      preferences page on the device\n"
    "  --overview yes|no             build overview in the build log\n"
    "Output (as on the folder chooser and the build page):\n"
    "  --output DIR                  the \"Save to\" folder\n"
    "  --date-folder yes|no          add a subfolder named after the build date\n"
    "  --title-folder yes|no         add a subfolder named after the title\n"
    "  --deploy-desktop yes|no       start the desktop installer after a wizard build\n"
    "  --deploy-mobile yes|no        go on to deployment after a wizard build\n";

const std::map<std::string, std::string> COMMAND_HELP = {
    {"new",
     "Usage: zephyrkit-project new FILE.paw --title T --company C [PRESETS]\n"
     "Writes a new project (FILE.paw must not exist). The output folder is the\n"
     "current folder unless --output says otherwise; the date and title\n"
     "subfolders are on.\n"},
    {"set",
     "Usage: zephyrkit-project set FILE.paw PRESETS...\n"
     "Changes the presets of a project. The cabinets' Yes/No flags are left as\n"
     "they are, but in a filter group whose switch or options change.\n"},
    {"add",
     "Usage: zephyrkit-project add FILE.paw CAB...\n"
     "Adds each cabinet at the end of the list, as the wizard's Add does: its\n"
     "set-up information is read, double entries and a full list are refused,\n"
     "and its Yes/No flags follow the filters. The cabinets admitted are kept\n"
     "even when another is refused.\n"},
    {"remove", "Usage: zephyrkit-project remove FILE.paw INDEX|NAME\n"},
    {"move",
     "Usage: zephyrkit-project move FILE.paw FROM TO\n"
     "FROM is an index or a file name, TO the index the cabinet moves to.\n"},
    {"flag",
     "Usage: zephyrkit-project flag FILE.paw INDEX|NAME COLUMN yes|no\n"
     "COLUMN: PPC, SMP, 2002, 2003, 2003SE, WM5 (or \"WM 5\"), Intel, TI, Samsung.\n"
     "Only the columns the list shows can be set: those whose filter is on\n"
     "with the option selected.\n"},
    {"show", "Usage: zephyrkit-project show FILE.paw\n"},
    {"check",
     "Usage: zephyrkit-project check FILE.paw\n"
     "Runs the checks of the presets, cabinet and build steps in order, as Next\n"
     "would, and then looks for the files the build needs. Prints the first\n"
     "failure; exit code 0 when the project would build. Then warns, without\n"
     "changing the exit code, of a cabinet flagged for an OS its own declared\n"
     "versions exclude and of an output folder that does not exist.\n"},
    {"export", "Usage: zephyrkit-project export FILE.paw > FILE.json\n"},
    {"build",
     std::string("Usage: zephyrkit-project build FILE.paw [--output DIR] [-q]\n"
                 "                             [--sign CERT.pfx [--sign-password-file FILE]\n"
                 "                              [--sign-url URL]]\n"
                 "Builds the installers of a project, as `zephyrkit -silent FILE.paw` does:\n"
                 "the project file, <title>.[MOBILE].exe, autorun.exe when asked for, and\n"
                 "<title>.[DESKTOP].exe, in the project's output folder (or DIR) with the\n"
                 "date and title subfolders the project asks for; the folder is made when\n"
                 "missing. MobileZephyrkit.exe, DesktopZephyrkit.exe and SystemInfo.dat are\n"
                 "taken from this program's folder. Prints each section of the installer\n"
                 "with its size and the share packing saved, as zip prints it (\"deflated\n"
                 "57%\"; -q: nothing on success). Problems are printed as\n"
                 "\"zephyrkit-project: FILE: what is wrong\", with the system's reason.\n"
                 "The outputs are written under temporary names and replace the earlier\n"
                 "ones together once all are complete (and signed, with --sign); a build\n"
                 "that fails or is interrupted leaves the earlier ones as they were. One\n"
                 "build at a time writes into a folder: a second waits five seconds for\n"
                 "the first.\n"
                 "Options:\n") +
         BUILD_OPTIONS_HELP + BUILD_EXIT_CODES_HELP},
    {"publish",
     std::string("Usage: zephyrkit-project publish FILE.paw --to DIR [--base-url URL] [-q]\n"
                 "                             [--sign CERT.pfx [--sign-password-file FILE]\n"
                 "                              [--sign-url URL]]\n"
                 "Builds the installers as `build` does and publishes them in DIR (made when\n"
                 "missing) as a download site: <title>-mobile.exe, <title>-desktop.exe and,\n"
                 "when the project asks for it, autorun.exe, named in lower-case letters,\n"
                 "digits and hyphens so that the address can be typed on a device; index.html,\n"
                 "the download page (for Pocket Internet Explorer and desktop browsers: the\n"
                 "two installers with their sizes, what each kind of device gets, the\n"
                 "SHA-256 of each file); SHA256SUMS, for `sha256sum -c`; .htaccess and\n"
                 "nginx-zephyrkit.conf, which make Apache and nginx hand out the installers\n"
                 "as downloads (application/octet-stream, Content-Disposition: attachment).\n"
                 "The files are written under temporary names and replace the earlier ones\n"
                 "together: a publish that fails or is interrupted leaves the site as it was.\n"
                 "Installers of an earlier publish that this one does not make again go.\n"
                 "Serve the folder with `zephyrkit-project serve DIR` or any web server.\n"
                 "Options:\n"
                 "  --to DIR            the site's folder\n"
                 "  --base-url URL      the address the site will have, shown on the page\n") +
         // The build's own, but for --output: publish writes into DIR.
         std::string(BUILD_OPTIONS_HELP).substr(std::string(BUILD_OPTIONS_HELP).find("  -q")) +
         BUILD_EXIT_CODES_HELP + "  (4 also when another publish is writing into DIR)\n"},
    {"serve",
     "Usage: zephyrkit-project serve DIR [--port N] [--bind ADDR] [--seconds N]\n"
     "Serves the files of DIR over HTTP, so that a device on the same network\n"
     "downloads and installs them with no web server: prints the address to\n"
     "type on the device for each IPv4 address of this computer, then a line\n"
     "per download as it ends (client, file, bytes sent of its length, complete\n"
     "or cut). Byte ranges are answered (206), so a download that dropped can\n"
     "resume. Only files of DIR are served: no path outside it, no link out of\n"
     "it, no other folder's list, no file whose name starts with '.'. \"/\" is\n"
     "index.html, or the list of DIR's files when there is none.\n"
     "--port N      the port (default 8080; 0: a free one, printed)\n"
     "--bind ADDR   the address to listen on (default 0.0.0.0: every one;\n"
     "              127.0.0.1: this computer only)\n"
     "--seconds N   stop after N seconds (else Ctrl+C stops it)\n"
     "Exit codes: 0 stopped, 1 DIR is no folder or the address cannot be\n"
     "listened on, 2 bad usage.\n"},
    {"import",
     "Usage: zephyrkit-project import FILE.paw < FILE.json\n"
     "Replaces (or makes) FILE.paw from a document written by export. A document\n"
     "that does not describe a valid project is refused, naming the field, and\n"
     "nothing is written: no title or company, a key given twice, a cabinet\n"
     "without path or name, listed twice (names are told apart without regard\n"
     "to case, as on a device) or under a name a device cannot keep.\n"},
};

class Shell {
public:
    // `out` and `err` take the record's text; `hostOut` and `hostErr` are the
    // streams themselves, for text already in UTF-8: export's document, and
    // serve's file names and log.
    Shell(DesktopPlatform& platform, std::istream& in, std::ostream& out, std::ostream& err,
          std::ostream& hostOut, std::ostream& hostErr, InstallerSigner* signer)
        : console_(platform, out, err),
          in_(in),
          out_(out),
          err_(err),
          hostOut_(hostOut),
          hostErr_(hostErr),
          signer_(signer),
          project_(std::make_unique<Project>()),
          ctx_{*project_, state_, console_} {
        InitialiseWizardState(state_, console_);
    }

    int Run(const std::vector<std::string>& args);

private:
    int Usage(const std::string& problem) {
        err_ << "zephyrkit-project: " << problem << "\n";
        err_ << "Try `zephyrkit-project --help`.\n";
        return SHELL_USAGE;
    }
    int Refused(const std::string& text) {
        console_.ShowMessage(text, "Error", MessageIcon::Error, false);
        return SHELL_REFUSED;
    }
    // A value longer than its record field would be stored cut, and a cut
    // path names another file: such a value is refused before anything is
    // written. Gives SHELL_DONE when it fits.
    int Fits(const std::string& what, const char* field, std::size_t size,
             const std::string& value) {
        if (value.size() < size) return SHELL_DONE;
        return Refused(what + ": " + field + ": longer than " + std::to_string(size - 1) +
                       " characters");
    }
    bool Load();
    int Save();
    int ApplyPresets(const std::vector<std::string>& options, bool fresh);
    int Add(const std::vector<std::string>& cabinets);
    int Remove(const std::string& which);
    int Move(const std::string& from, const std::string& to);
    int Flag(const std::string& which, const std::string& column, const std::string& value);
    int Show();
    int Check();
    int Import();
    int Build(const std::vector<std::string>& options);
    int Publish(const std::vector<std::string>& options);
    int Serve(const std::string& folder, const std::vector<std::string>& options);
    void WarnOfDoubtfulSettings();
    // An index or a file name of the list; -1 when neither.
    int FindEntry(const std::string& which);
    // Whole, against the platform's current folder, in the record's code page.
    std::string AbsolutePath(const std::string& path);
    // Creates the cabinet page. The window's page brings every entry's
    // flags in line with the filters as it lists them; a command changes
    // only what it names, so the flags come back except those of the
    // groups whose filter settings the command changed.
    using RefilteredGroups = std::array<bool, 3>;  // by FilterGroup
    void EnterCabinetPage(RefilteredGroups refiltered = {});

    ConsolePlatform console_;
    std::istream& in_;
    std::ostream& out_;
    std::ostream& err_;
    std::ostream& hostOut_;
    std::ostream& hostErr_;
    InstallerSigner* signer_;
    std::unique_ptr<Project> project_;
    WizardState state_;
    WizardContext ctx_;
    // Creates the step's page as the window would, and makes it current.
    void EnterPage(int step) {
        controls_ = std::make_unique<MemoryPageControls>();
        CreatePage(ctx_, *controls_, step);
    }
    MemoryPageView& Page() { return controls_->page; }

    std::unique_ptr<MemoryPageControls> controls_;
    std::string path_;
};

bool ParseYesNo(const std::string& text, std::uint8_t* flag) {
    if (text == "yes" || text == "on") {
        *flag = 1;
        return true;
    }
    if (text == "no" || text == "off") {
        *flag = 0;
        return true;
    }
    return false;
}

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    std::stringstream stream(text);
    for (std::string item; std::getline(stream, item, ',');) {
        for (char& c : item) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (!item.empty()) items.push_back(item);
    }
    return items;
}

std::string Shell::AbsolutePath(const std::string& path) {
    if (path.empty()) return path;  // the page check names a missing path
    std::filesystem::path whole(path);
    if (whole.is_relative()) whole = std::filesystem::path(console_.CurrentDirectory()) / whole;
    return whole.lexically_normal().string();
}

bool Shell::Load() {
    if (!ReadProjectFile(console_, *project_, path_.c_str())) {
        Refused("Project file is invalid");
        return false;
    }
    ApplyProjectToWizard(ctx_, DeriveProjectName(path_).c_str());
    // The window offers the folder it keeps between visits of the cabinet
    // page; from a shell that is the project's own output folder.
    CopyText(state_.savedWorkPath, TextOf(state_.workPath));
    return true;
}

int Shell::Save() {
    if (!ReplaceProjectFile(console_, *project_, path_.c_str())) {
        const std::string reason = console_.LastFailureReason();
        return Refused("Cannot write " + path_ + (reason.empty() ? "" : ": " + reason));
    }
    return SHELL_DONE;
}

void Shell::EnterCabinetPage(RefilteredGroups refiltered) {
    const int count = CabinetCount(*project_);
    std::vector<std::array<std::uint8_t, FILTER_OPTION_COUNT>> kept(
        static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        for (int o = 0; o < FILTER_OPTION_COUNT; ++o)
            kept[i][o] = project_->cabinets[i].*FILTER_OPTIONS[o].flag;
    EnterPage(2);
    for (int i = 0; i < count && i < CabinetCount(*project_); ++i)
        for (int o = 0; o < FILTER_OPTION_COUNT; ++o)
            if (!refiltered[static_cast<std::size_t>(FILTER_OPTIONS[o].group)])
                project_->cabinets[i].*FILTER_OPTIONS[o].flag = kept[i][o];
}

namespace {

// The filter switches and options of a project, one pair per option.
using FilterSettings = std::array<std::pair<std::uint8_t, std::uint8_t>, FILTER_OPTION_COUNT>;

FilterSettings FilterSettingsOf(const Project& p) {
    FilterSettings settings{};
    for (int o = 0; o < FILTER_OPTION_COUNT; ++o)
        settings[o] = {p.*GroupOf(FILTER_OPTIONS[o]).project, p.*FILTER_OPTIONS[o].option};
    return settings;
}

}  // namespace

int Shell::ApplyPresets(const std::vector<std::string>& options, bool fresh) {
    const FilterSettings before = FilterSettingsOf(*project_);
    EnterPage(1);
    MemoryPageView& page = Page();
    const std::map<std::string, std::pair<int, int>> files = {
        {"eula", {IDC_EULA_CHECK, IDC_EULA_PATH}},
        {"readme", {IDC_README_CHECK, IDC_README_PATH}},
        {"splash", {IDC_SPLASH_CHECK, IDC_SPLASH_PATH}},
    };
    const std::map<std::string, int> pageFlags = {
        {"removable-card", IDC_REMOVABLE_CARD},
        {"device-settings", IDC_DEVICE_ADVANCED},
        {"overview", IDC_SHOW_OVERVIEW},
    };
    const std::map<std::string, std::uint8_t WizardState::*> stateFlags = {
        {"date-folder", &WizardState::addDateToPath},
        {"title-folder", &WizardState::addTitleSubfolder},
        {"deploy-desktop", &WizardState::deployDesktopWhenDone},
        {"deploy-mobile", &WizardState::deployMobileWhenDone},
    };

    for (std::size_t i = 0; i < options.size(); ++i) {
        const std::string& option = options[i];
        if (option.rfind("--", 0) != 0) return Usage("unexpected argument " + option);
        const std::string name = option.substr(2);
        auto value = [&](std::string* v) {
            if (i + 1 >= options.size()) return false;
            *v = options[++i];
            return true;
        };
        std::string v;
        bool handled = true;
        if (name == "title" || name == "company") {
            if (!value(&v)) return Usage(option + " needs a value");
            if (Fits(option, name.c_str(), sizeof(Project::title), v) != SHELL_DONE)
                return SHELL_REFUSED;
            page.SetText(name == "title" ? IDC_TITLE : IDC_COMPANY, v);
        } else if (name == "output") {
            if (!value(&v)) return Usage(option + " needs a folder");
            if (Fits(option, "outputFolder", sizeof(Project::outputFolder), AbsolutePath(v)) !=
                SHELL_DONE)
                return SHELL_REFUSED;
            CopyText(state_.workPath, AbsolutePath(v));
            CopyText(state_.savedWorkPath, TextOf(state_.workPath));
        } else if (files.count(name)) {
            if (!value(&v)) return Usage(option + " needs a file");
            if (Fits(option, (name + "Path").c_str(), sizeof(Project::eulaPath), AbsolutePath(v)) !=
                SHELL_DONE)
                return SHELL_REFUSED;
            page.SetChecked(files.at(name).first, true);
            page.SetText(files.at(name).second, AbsolutePath(v));
        } else if (name.rfind("no-", 0) == 0 && files.count(name.substr(3))) {
            page.SetChecked(files.at(name.substr(3)).first, false);
        } else if (pageFlags.count(name) || stateFlags.count(name)) {
            std::uint8_t flag = 0;
            if (!value(&v) || !ParseYesNo(v, &flag)) return Usage(option + " takes yes or no");
            if (pageFlags.count(name))
                page.SetChecked(pageFlags.at(name), flag != 0);
            else
                state_.*stateFlags.at(name) = flag;
        } else {
            handled = false;
            for (const FilterGroupSwitch& g : FILTER_GROUPS) {
                const std::string on = std::string(g.word) + "-filter";
                if (name != on && name != "no-" + on) continue;
                handled = true;
                // Switching a group off clears its options too: with the
                // switch off an option left on would narrow the flags.
                std::map<std::string, int> choices;
                for (const FilterOption& o : FILTER_OPTIONS)
                    if (o.group == g.group) choices[o.word] = o.control;
                for (const auto& choice : choices) page.SetChecked(choice.second, false);
                page.SetChecked(g.control, name == on);
                if (name != on) break;
                if (!value(&v)) return Usage(option + " needs a list");
                for (const std::string& item : SplitList(v)) {
                    if (!choices.count(item)) return Usage("no option " + item + " in " + option);
                    page.SetChecked(choices.at(item), true);
                }
            }
            if (!handled) return Usage("unknown option " + option);
        }
    }

    // Next on the presets page: its check, then the cabinet page is entered;
    // only a group whose filter settings changed has its flags brought in line.
    const int code = CheckPage(ctx_, 1);
    if (code != 0) {
        ReportPageError(console_, code);
        return SHELL_REFUSED;
    }
    CopyBuildSettingsToProject(ctx_);
    if (fresh) project_->saveProjectFile = 1;
    const FilterSettings after = FilterSettingsOf(*project_);
    RefilteredGroups refiltered{};
    for (int o = 0; o < FILTER_OPTION_COUNT; ++o)
        if (before[o] != after[o])
            refiltered[static_cast<std::size_t>(FILTER_OPTIONS[o].group)] = true;
    EnterCabinetPage(refiltered);
    return Save();
}

int Shell::Add(const std::vector<std::string>& cabinets) {
    if (cabinets.empty()) return Usage("add needs at least one cabinet");
    for (const std::string& cabinet : cabinets) {
        const std::string path = AbsolutePath(cabinet);
        if (Fits(cabinet, "path", sizeof(CabEntry::path), path) != SHELL_DONE ||
            Fits(cabinet, "fileName", sizeof(CabEntry::fileName), FileNamePart(path)) != SHELL_DONE)
            return SHELL_REFUSED;
    }
    EnterCabinetPage();
    bool refused = false, changed = false;
    for (const std::string& cabinet : cabinets) {
        const std::string path = AbsolutePath(cabinet);
        const Admission result = AdmitCabinet(ctx_, path, FileNamePart(path));
        if (result == Admission::Admitted || result == Admission::AdmittedWithoutSetupInfo)
            changed = true;
        else
            refused = true;
    }
    if (changed && Save() != SHELL_DONE) return SHELL_REFUSED;
    return refused ? SHELL_REFUSED : SHELL_DONE;
}

int Shell::FindEntry(const std::string& which) {
    const int count = CabinetCount(*project_);
    if (!which.empty() && which.find_first_not_of("0123456789") == std::string::npos) {
        const long index = which.size() < 6 ? std::stol(which) : -1;
        return index < count ? static_cast<int>(index) : -1;
    }
    for (int i = 0; i < count; ++i)
        if (TextOf(project_->cabinets[i].fileName) == which) return i;
    return -1;
}

int Shell::Remove(const std::string& which) {
    EnterCabinetPage();
    const int index = FindEntry(which);
    if (index < 0) return Refused("No cabinet " + which + " in the list");
    Page().SetListRowState(IDC_CABINET_LIST, index, true, true);
    RemoveCabinet(ctx_);
    return Save();
}

int Shell::Move(const std::string& from, const std::string& to) {
    EnterCabinetPage();
    const int source = FindEntry(from);
    if (source < 0) return Refused("No cabinet " + from + " in the list");
    if (to.empty() || to.find_first_not_of("0123456789") != std::string::npos || to.size() > 5 ||
        std::stoi(to) >= CabinetCount(*project_))
        return Refused("No place " + to + " in the list");
    // The window refreshes the dropped row's flags from the filters; moving
    // an entry here changes its place only.
    const CabEntry moved = project_->cabinets[source];
    const int target = std::stoi(to);
    MoveCabinet(ctx_, source, target);
    for (int o = 0; o < FILTER_OPTION_COUNT; ++o)
        project_->cabinets[target].*FILTER_OPTIONS[o].flag = moved.*FILTER_OPTIONS[o].flag;
    return Save();
}

int Shell::Flag(const std::string& which, const std::string& column, const std::string& value) {
    std::uint8_t wanted = 0;
    if (!ParseYesNo(value, &wanted)) return Usage("flag takes yes or no");
    EnterCabinetPage();
    const int row = FindEntry(which);
    if (row < 0) return Refused("No cabinet " + which + " in the list");
    const std::string title = column == "WM5" ? "WM 5" : column;
    int found = -1;
    for (int c = 1; c < Page().ListColumnCount(IDC_CABINET_LIST); ++c)
        if (Page().ListColumnTitle(IDC_CABINET_LIST, c) == title) found = c;
    if (found < 0) {
        bool known = false;
        for (const FilterOption& o : FILTER_OPTIONS) known = known || title == o.column;
        if (!known) return Usage("no column " + column);
        return Refused("The list shows no column " + title +
                       ": its filter is off or the option is not selected");
    }
    for (const FilterOption& o : FILTER_OPTIONS) {
        if (title != o.column) continue;
        if ((project_->cabinets[row].*o.flag != 0) != (wanted != 0))
            ToggleFilterCell(ctx_, row, found);
    }
    return Save();
}

int Shell::Show() {
    PrintProjectSettings(ctx_, out_);
    return SHELL_DONE;
}

int Shell::Check() {
    // Next from the presets page, Next from the cabinet page, then Build.
    EnterPage(1);
    int code = CheckPage(ctx_, 1);
    if (code == 0) {
        EnterCabinetPage();
        code = CheckPage(ctx_, 2);
    }
    if (code == 0) {
        EnterPage(3);
        code = CheckPage(ctx_, 3);
    }
    if (code != 0) {
        ReportPageError(console_, code);
        return SHELL_REFUSED;
    }
    if (!CheckBuildFiles(ctx_)) {
        console_.ShowMessage(
            "Cannot build project. Files are missing or corrupt. Please go back and correct",
            "Error", MessageIcon::Error, false);
        return SHELL_REFUSED;
    }
    BuildOutcome inputs;
    if (!CheckBuildInputs(ctx_, inputs)) return Refused(BuildFailureText(inputs));
    WarnOfDoubtfulSettings();
    out_ << "The project would build.\n";
    return SHELL_DONE;
}

// What would build but may not be what the user means: an entry flagged for
// an OS its own set-up information excludes (the device would hand it to
// its installer, which refuses it), and an output folder that is not there.
void Shell::WarnOfDoubtfulSettings() {
    for (int i = 0; i < CabinetCount(*project_); ++i) {
        const CabEntry& entry = project_->cabinets[i];
        SetupInfo info{};
        if (!ReadCabinetSetupInfo(console_, TextOf(entry.path), info)) continue;
        for (const FilterOption& o : FILTER_OPTIONS) {
            if (o.group != FilterGroup::Os || !(entry.*o.flag) || CabinetSupportsOs(info, o.span))
                continue;
            out_ << "Warning: cabinet " << i << " (" << TextOf(entry.fileName)
                 << ") is flagged for " << o.column << ", which its declared versions "
                 << info.osMinMajor << "." << info.osMinMinor << " to " << info.osMaxMajor << "."
                 << info.osMaxMinor << " exclude\n";
        }
    }
    FileFacts facts;
    const std::string output = TextOf(project_->outputFolder);
    if (!output.empty() && !console_.GetFileFacts(output, &facts))
        out_ << "Warning: the output folder " << output << " does not exist\n";
    // The longest path a build writes: the desktop installer's temporary in
    // the title folder of the longest date folder ("/30-12-2026").
    const std::string title = TextOf(project_->title);
    const std::string longestName = title + ".[DESKTOP].exe.partial";
    const std::size_t longest = output.size() + (project_->addDateToPath ? 11 : 0) +
                                (project_->addTitleSubfolder ? 1 + title.size() : 0) + 1 +
                                longestName.size();
    if (longestName.size() > MAX_FILE_NAME_LENGTH)
        out_ << "Warning: the title makes file names of " << longestName.size()
             << " characters, longer than the " << MAX_FILE_NAME_LENGTH
             << " a file system allows\n";
    else if (longest > MAX_WINDOWS_PATH_LENGTH)
        out_ << "Warning: the title makes paths in the output folder of up to " << longest
             << " characters, longer than the " << MAX_WINDOWS_PATH_LENGTH
             << " Windows allows: shorten the title or the output folder\n";
}

int Shell::Build(const std::vector<std::string>& options) {
    CommandLineBuildOptions build;
    std::vector<std::string> rest;
    std::string problem;
    if (!ParseBuildOptions(options, &build, &rest, &problem)) return Usage(problem);
    if (!rest.empty()) return Usage("build does not take " + rest[0]);
    // Named whole in messages, as the other paths of a build are.
    for (std::string* path :
         {&build.output, &build.signing.certificate, &build.signing.passwordFile})
        *path = AbsolutePath(*path);
    return RunCommandLineBuild(ctx_, path_, build, signer_, out_, err_);
}

int Shell::Publish(const std::vector<std::string>& options) {
    PublishOptions publish;
    std::vector<std::string> rest;
    std::string problem;
    if (!ParseBuildOptions(options, &publish.build, &rest, &problem)) return Usage(problem);
    if (!publish.build.output.empty()) return Usage("publish writes into --to DIR, not --output");
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const std::string& option = rest[i];
        if (option != "--to" && option != "--base-url")
            return Usage("publish does not take " + option);
        if (i + 1 >= rest.size()) return Usage(option + " needs a value");
        const std::string& value = rest[++i];
        if (option == "--to")
            publish.folder = AbsolutePath(value);
        else if (!UsableBaseUrl(value, &publish.baseUrl))
            return Usage(
                "--base-url takes an http:// or https:// address without blanks or "
                "quotes, not " +
                value);
    }
    if (publish.folder.empty()) return Usage("publish needs --to DIR");
    // Named whole in messages, as the other paths of a build are.
    for (std::string* path :
         {&publish.build.signing.certificate, &publish.build.signing.passwordFile})
        *path = AbsolutePath(*path);
    return RunPublish(ctx_, path_, publish, signer_, out_, err_);
}

int Shell::Serve(const std::string& folder, const std::vector<std::string>& options) {
    ServeOptions serve;
    serve.folder = folder;
    for (std::size_t i = 0; i < options.size(); ++i) {
        const std::string& option = options[i];
        if (option != "--port" && option != "--bind" && option != "--seconds")
            return Usage("serve does not take " + option);
        if (i + 1 >= options.size()) return Usage(option + " needs a value");
        const std::string& value = options[++i];
        if (option == "--bind") {
            if (!IsListenAddress(value))
                return Usage("--bind takes an IPv4 or IPv6 address, not " + value);
            serve.bind = value;
            continue;
        }
        const bool digits = !value.empty() && value.size() <= 6 &&
                            value.find_first_not_of("0123456789") == std::string::npos;
        const long number = digits ? std::stol(value) : -1;
        if (option == "--port" && (number < 0 || number > 65535))
            return Usage("--port takes a number from 0 to 65535, not " + value);
        if (option == "--seconds" && (number < 1 || number > 999999))
            return Usage("--seconds takes a number from 1 to 999999, not " + value);
        (option == "--port" ? serve.port : serve.seconds) = static_cast<int>(number);
    }
    return RunServe(serve, hostOut_, hostErr_);
}

int Shell::Import() {
    const std::string json((std::istreambuf_iterator<char>(in_)), std::istreambuf_iterator<char>());
    std::string error;
    if (!ImportProjectJson(json, *project_, &error)) return Refused("Cannot import: " + error);
    return Save();
}

int Shell::Run(const std::vector<std::string>& args) {
    if (args.empty()) return Usage("no command");
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        out_ << USAGE;
        return SHELL_DONE;
    }
    if (command == "--version") {
        out_ << "zephyrkit-project " << PRODUCT_VERSION << "\n";
        return SHELL_DONE;
    }
    if (!COMMAND_HELP.count(command)) return Usage("unknown command " + command);
    if (args.size() >= 2 && (args[1] == "--help" || args[1] == "-h")) {
        out_ << COMMAND_HELP.at(command);
        if (command == "new" || command == "set") out_ << "\n" << PRESETS_HELP;
        return SHELL_DONE;
    }
    if (args.size() < 2)
        return Usage(command + (command == "serve" ? " needs a folder" : " needs a project file"));
    path_ = args[1];
    const std::vector<std::string> rest(args.begin() + 2, args.end());
    auto exactly = [&](std::size_t n) { return rest.size() == n; };

    if (command == "new") {
        FileFacts facts;
        if (console_.GetFileFacts(path_, &facts)) return Refused(path_ + " exists already");
        project_->addDateToPath = 1;
        project_->addTitleSubfolder = 1;
        CopyText(project_->outputFolder, TextOf(state_.workPath));
        ApplyProjectToWizard(ctx_, DeriveProjectName(path_).c_str());
        CopyText(state_.savedWorkPath, TextOf(state_.workPath));
        return ApplyPresets(rest, true);
    }
    if (command == "import") return exactly(0) ? Import() : Usage("import takes no arguments");
    if (command == "build") return Build(rest);
    if (command == "publish") return Publish(rest);
    if (command == "serve") return Serve(path_, rest);
    if (!Load()) return SHELL_REFUSED;
    if (command == "set")
        return rest.empty() ? Usage("set needs presets") : ApplyPresets(rest, false);
    if (command == "add") return Add(rest);
    if (command == "remove") return exactly(1) ? Remove(rest[0]) : Usage("remove takes INDEX|NAME");
    if (command == "move") return exactly(2) ? Move(rest[0], rest[1]) : Usage("move takes FROM TO");
    if (command == "flag")
        return exactly(3) ? Flag(rest[0], rest[1], rest[2])
                          : Usage("flag takes INDEX|NAME COLUMN yes|no");
    if (command == "show") return exactly(0) ? Show() : Usage("show takes no arguments");
    if (command == "check") return exactly(0) ? Check() : Usage("check takes no arguments");
    if (command == "export") {
        if (!exactly(0)) return Usage("export takes no arguments");
        hostOut_ << ExportProjectJson(*project_);
        return SHELL_DONE;
    }
    return Usage("unknown command " + command);
}

}  // namespace

int RunProjectShell(DesktopPlatform& platform, const std::vector<std::string>& arguments,
                    std::istream& in, std::ostream& out, std::ostream& err,
                    InstallerSigner* signer) {
    // The shell works in the record's code page, as the wizard does: the
    // arguments come in converted and what it prints goes out as UTF-8.
    // Standard input and export carry JSON, UTF-8 by its own rules, as it is.
    std::vector<std::string> recordArguments;
    std::string problem;
    if (!RecordArguments(arguments, &recordArguments, &problem)) {
        err << "zephyrkit-project: " << problem << "\n";
        return SHELL_REFUSED;
    }
    Utf8OutputBuffer outText(out.rdbuf()), errText(err.rdbuf());
    std::ostream textOut(&outText), textErr(&errText);
    Shell shell(platform, in, textOut, textErr, out, err, signer);
    return shell.Run(recordArguments);
}

}  // namespace zk
