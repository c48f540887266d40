// Folders for a main-window test that adds and converts files: those of an engine test, with
// a settings file that names out/ as the output folder and selects the fourth profile.
#pragma once

#include "fake_tool.h"

namespace testing_support {

class BatchFolders : public EngineFolders {
public:
    BatchFolders() { Env().WriteIni("[Settings]\nOut Path=" + Out() + "\nFormat=3\n"); }
};

}  // namespace testing_support
