// `atmosphere-sim doctor`: checks an installation in a game's folder, the
// mistakes players make most (the script host or its ASI loader missing,
// the module in the wrong folder or under another name, two copies, a
// settings file Explorer shows as atmosphere.ini that is not, an edited copy
// elsewhere) and what the module's log says of its last session. Looks at
// the folder's top level and the few sub-folders where modules get
// misplaced, never the whole tree: a game's folder holds tens of thousands
// of files.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/preview/checker.h"

namespace doctor {

struct Examination {
    // The findings in a stable order, each "PATH: error|warning|note:
    // message" when formatted as the checker's are.
    std::vector<preview::Finding> findings;
    // Exit status: 0 the installation is fine (warnings allowed), 1 a
    // mistake stops the module from working, 2 no folder to examine.
    int status = 0;
};

// Examines the folder at `folder` (a path as typed, any system's
// separators). `toolVersion` is the version the module should have.
Examination ExamineInstallation(const std::string& folder, const std::string& toolVersion);

// Whether `folder` looks like a game's folder with this module in play: it
// holds the script host or the module. The double-click and the drop run the
// doctor first there.
bool HoldsTheModuleOrItsHost(const std::filesystem::path& folder);

}  // namespace doctor
