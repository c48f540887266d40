// Which folder the encoder tool is taken from: beside the program first (a build folder), then
// the installed tool folder relative to the program (an install or an unpacked package).
#include "engine/tool_location.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace {

using testing_support::TempFolder;
using testing_support::WriteFile;

struct Layout {
    const char* name;
    bool besideProgram;  // bin/DLL/ffmpeg
    bool installed;      // the installed tool folder's DLL/ffmpeg
    bool expectInstalled;
};

TEST(ToolLocationTest, PrefersTheToolBesideTheProgramThenTheInstalledOne) {
    const std::vector<Layout> layouts = {
        {"build folder", true, false, false},
        {"installed", false, true, true},
        {"both", true, true, false},
        {"neither", false, false, false},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.name);
        const TempFolder prefix;
        const std::string bin = prefix / "bin";
        std::filesystem::create_directories(bin);
        const std::string installed =
            (std::filesystem::path(bin) / VANTREL_INSTALLED_TOOL_FOLDER).lexically_normal();
        if (layout.besideProgram)
            WriteFile(bin + "/DLL/ffmpeg", "");
        if (layout.installed)
            WriteFile(installed + "/DLL/ffmpeg", "");

        EXPECT_EQ(engine::FindToolFolderFor(bin), layout.expectInstalled ? installed : bin);
    }
}

}  // namespace
