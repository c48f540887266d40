// The job list's five columns: what each holds and how wide it starts, in pixels.
#pragma once

#include <array>

namespace ui {

enum JobColumn { kColumnNo = 0, kColumnName, kColumnLength, kColumnTarget, kColumnStatus };

struct JobColumnSpec {
    const char* heading;
    int width;
};

inline constexpr std::array<JobColumnSpec, 5> kJobColumns = {{
    {"NO.", 35},
    {"Name", 245},
    {"Length", 75},
    {"Target", 60},
    {"Status", 60},
}};

}  // namespace ui
