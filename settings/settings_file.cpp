// placeholder, replaced by the settings-file work
#include "settings/settings_file.h"
