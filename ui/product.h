// Vantrel's name, version and the texts built from them, in one place.
#pragma once

#include "vantrel_config.h"

namespace product {

inline constexpr char kTitle[] = "Vantrel";
inline constexpr char kVersion[] = VANTREL_VERSION;  // from project(VERSION)

// The desktop id: the installed desktop entry is <id>.desktop, and the window names it so
// that the desktop shows the entry's name and icon for it.
inline constexpr char kAppId[] = VANTREL_APP_ID;

// The maker's web site: the top bar's Web Site, Help and address buttons and the about box's
// link all open this one address. A reserved example domain until the project has a site.
inline constexpr char kWebSiteUrl[] = "https://vantrel.example.com/";

// The about box's notice line.
inline constexpr char kNotice[] = "(C) 2026 Vantrel team";

// The about item of the main window's menu.
inline constexpr char kAboutMenuText[] = "&About Vantrel...";

}  // namespace product
