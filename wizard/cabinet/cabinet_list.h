// The cabinet step's list: admitting cabinets (reading their set-up
// information), removing and reordering entries, the detail fields, dropped
// files, and building the list when the page is made. Row i of the list always
// shows entry i of the Project's cabinets.
#pragma once

#include <string>
#include <vector>

#include "common/cabinet/setup_info.h"

namespace zk {

struct WizardContext;
class DesktopPlatform;

inline constexpr const char* NOT_A_CABINET_TEXT = "This is not a valid Cabinet file";
inline constexpr const char* BAD_HEADER_TEXT = "This is not a valid Wince Cabinet file header";
inline constexpr const char* NO_SETUP_INFO_TEXT =
    "This is not a valid Wince Cabinet file. Please double-check the entry";
inline constexpr const char* DOUBLE_ENTRY_TEXT = "Item is already in the list";
inline constexpr const char* DOUBLE_ENTRY_CAPTION = "Double entry";
inline constexpr const char* LIST_FULL_TEXT =
    "The list is full: a project holds at most 256 cabinets";
// Followed by why, as FileNameProblem tells it.
inline constexpr const char* BAD_NAME_TEXT = "A device cannot keep a file of this name: it ";
// Followed by the listed entry's name.
inline constexpr const char* CASE_DOUBLE_TEXT =
    "A device does not tell file names apart by case: the list holds ";

enum class Admission {
    Admitted,
    AdmittedWithoutSetupInfo,  // admitted after the information message
    NotACabinet,
    BadHeader,
    DoubleEntry,
    ListFull,
    BadName,  // a name the device cannot keep in \Temp
};

// Admits the cabinet at `path` under `displayName` (its file name without
// folder) at the end of the list, or refuses it with a message box without
// owner; the display name is the caption of every box but the double entry's.
// In order: a name the device cannot keep — a character Windows refuses, a
// device name, a trailing dot or blank — is refused (warning box, nothing
// read); extract the set-up members (refused: error box); read the .000
// header when there is one (bad signature: warning box, refused), else the
// set-up XML when there is one, else show the information box and go on with
// empty names and no OS bounds; then the double-entry test on the file name
// (exact, case and all; a name equal to a listed one but for case is
// refused as a double entry too, with its own text: the device would unpack
// both into one file), then the full list. Both temporary files are gone
// when it returns, whatever the outcome. `learned`, when given, receives
// what was read from the set-up information.
Admission AdmitCabinet(WizardContext& ctx, const std::string& path, const std::string& displayName,
                       SetupInfo* learned = nullptr);

// The set-up information of the cabinet at `path`, read as an admission
// reads it but without a message or a list: false when the file is no
// cabinet, its set-up header is refused, or it carries no set-up
// information.
bool ReadCabinetSetupInfo(DesktopPlatform& platform, const std::string& path, SetupInfo& info);

// Removes the selected entry and its row and clears the detail fields; with
// no row selected nothing happens.
void RemoveCabinet(WizardContext& ctx);

// A drag of row `from` released over the label of row `to` (-1 when the
// release was over no row's label): the entry moves to index `to`, the rows
// follow, the detail fields are cleared and row `to`'s cells refreshed.
// Dropping a row on itself changes nothing.
void MoveCabinet(WizardContext& ctx, int from, int to);

// The "/\" and "\/" buttons: the selected entry one place up or down, by the
// same moves as a drag. At either end of the list nothing changes.
void MoveCabinetUp(WizardContext& ctx);
void MoveCabinetDown(WizardContext& ctx);

// Fills the five detail fields from the entry of the focused row: names,
// the cabinet file's creation time (UTC) and size, and its path. A file that
// cannot be opened leaves "Date" and "Size" as they were.
void ShowCabinetDetails(WizardContext& ctx);
void ClearCabinetDetails(WizardContext& ctx);

// Files dropped from the shell, in the order the shell lists them: each is
// admitted under the text after its last separator, whatever its extension.
void AdmitDroppedFiles(WizardContext& ctx, const std::vector<std::string>& paths);

// Lays out the columns and fills one row per entry, refreshing each entry's
// booleans from the filters.
void BuildCabinetList(WizardContext& ctx);

}  // namespace zk
