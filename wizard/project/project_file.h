// The project file (.paw): the Project record written byte for byte, known by
// its size alone. And the slot operations that keep cabinets[0 .. count-1] the
// list in order.
#pragma once

#include "common/project_record.h"

namespace zk {

class DesktopPlatform;
struct WizardContext;

// Loads the file into `project` when it is exactly PROJECT_RECORD_SIZE bytes
// and all of them could be read; otherwise false and `project` is unchanged.
// No field is checked.
bool ReadProjectFile(DesktopPlatform& platform, Project& project, const char* path);

// Creates or truncates the file and writes the record. False when the file
// cannot be created or not every byte reached it.
bool WriteProjectFile(DesktopPlatform& platform, const Project& project, const char* path);

// Writes the record under a temporary name beside `path` and renames it over
// `path` once complete, so an interrupted or failed write never leaves a
// damaged project file behind.
bool ReplaceProjectFile(DesktopPlatform& platform, const Project& project, const char* path);

// Copies the loaded record into WizardState and, when the presets page exists,
// into its controls. Returns CheckBuildFiles().
bool ApplyProjectToWizard(WizardContext& ctx, const char* projectName);

// True when every file the build needs is present (exists, not empty): the
// EULA, read-me and splash files when enabled in WizardState, and every
// cabinet of the list.
bool CheckBuildFiles(WizardContext& ctx);

// True when the path names an existing file of non-zero size.
bool IsFilePresent(DesktopPlatform& platform, const char* path);

// Slot operations. Append and Insert refuse a 257th entry (false) and leave
// the record unchanged; out-of-range indexes are refused the same way.
bool AppendCabinetEntry(Project& project, const CabEntry& entry);
bool RemoveCabinetEntry(Project& project, int index);
bool InsertCabinetEntry(Project& project, CabEntry entry, int index);

}  // namespace zk
