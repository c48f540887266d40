// placeholder, replaced by the command-line work
#include "engine/command_line.h"
