#include "probe_report.h"

#include <cstdio>

#include "printable.h"
#include "terminal_host.h"

namespace cli {

ProbeReport::ProbeReport(std::vector<std::string> names, const std::atomic<bool>& interrupted)
    : names_(std::move(names)), interrupted_(interrupted), results_(names_.size()) {}

void ProbeReport::ProbeEnded(int index, const engine::ProbeResult& result) {
    results_.at(index) = result;
    while (nextToPrint_ < results_.size() && results_[nextToPrint_] && !interrupted_.load()) {
        Print(static_cast<int>(nextToPrint_), *results_[nextToPrint_]);
        results_[nextToPrint_].reset();
        ++nextToPrint_;
    }
}

void ProbeReport::Print(int index, const engine::ProbeResult& result) {
    const std::string& name = names_.at(index);
    std::printf("%s\t%s\n", Printable(name).c_str(), result.length.c_str());
    std::fflush(stdout);
    if (!result.length.empty())
        return;
    anyMissing_ = true;
    // The tool not running fails every file alike: said once, not once per file.
    const std::string& toolFailure = result.alert.empty() ? result.toolFailure : result.alert;
    if (!toolFailure.empty()) {
        if (toolFailures_.insert(toolFailure).second)
            Warn(toolFailure);
    } else {
        Warn(name + ": " + (result.problem.empty() ? "no length found" : result.problem));
    }
}

}  // namespace cli
