// The POSIX adapter's name for locate.h.
#pragma once

#include "tools/ffmpeg_adapter/locate.h"
