// Which folder the encoder tool is taken from: beside the program first (a build folder), then
// the installed tool folder relative to the program (an install or an unpacked package).
#include "engine/tool_location.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/encoder_tool.h"
#include "platform/path.h"
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
#ifdef _WIN32
        if (layout.installed)
            continue;  // Windows programs keep their tool beside them; there is no libexec
#endif
        const TempFolder prefix;
        const std::string bin = prefix / "bin";
        std::filesystem::create_directories(bin);
        const std::string installed = (std::filesystem::u8path(bin) / VANTREL_INSTALLED_TOOL_FOLDER)
                                          .lexically_normal()
                                          .u8string();
        if (layout.besideProgram)
            WriteFile(platform::path::Join(bin, engine::kEncoderPath), "");
        if (layout.installed)
            WriteFile(platform::path::Join(installed, engine::kEncoderPath), "");

        EXPECT_EQ(engine::FindToolFolderFor(bin), layout.expectInstalled ? installed : bin);
    }
}

}  // namespace
