#pragma once

namespace zk {

struct WizardContext;

// What the Build command copies into Project just before it builds: the
// EULA, read-me and splash paths of the enabled files, the folder options,
// the deploy options and the output folder (workPath, before any subfolder
// is added).
void CopyBuildSettingsToProject(WizardContext& ctx);

}  // namespace zk
