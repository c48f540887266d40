// What vantrel-cli --probe prints: "FILE<TAB>Length" for each file in the order given, as soon
// as the files before it are done, however the probes running at once end; why a file got no
// Length on standard error, and a tool that could not run at all said once.
#pragma once

#include <atomic>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/duration_probe.h"

namespace cli {

class ProbeReport final : public engine::ProbeEvents {
public:
    // `names`: the files as the user gave them. Nothing more is printed once `interrupted`
    // is set: a probe that gave up has no Length worth a line.
    ProbeReport(std::vector<std::string> names, const std::atomic<bool>& interrupted);

    void ProbeEnded(int index, const engine::ProbeResult& result) override;

    // True when some file got no Length.
    bool AnyMissing() const { return anyMissing_; }

private:
    void Print(int index, const engine::ProbeResult& result);

    const std::vector<std::string> names_;
    const std::atomic<bool>& interrupted_;
    std::vector<std::optional<engine::ProbeResult>> results_;
    std::size_t nextToPrint_ = 0;
    std::set<std::string> toolFailures_;
    bool anyMissing_ = false;
};

}  // namespace cli
