// The line a terminal shows while a batch runs: a bar of the whole batch, how many jobs are
// done of how many, and each running job's name and per cent.
#pragma once

#include <string>
#include <vector>

namespace cli {

struct RunningJob {
    std::string name;  // printable: no control characters
    int percent = 0;
};

// The progress line, at most `width` columns wide (a character of UTF-8 counts as one): the
// running jobs' names are shortened from the left when they do not all fit. `left` is the
// batch's time left ("2:13"), "" while it cannot be told.
std::string ProgressLine(int done, int total, int batchPercent,
                         const std::vector<RunningJob>& running, std::size_t width,
                         const std::string& left = "");

}  // namespace cli
