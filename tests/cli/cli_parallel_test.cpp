// vantrel-cli as the unit of work of GNU parallel, as the README shows it spread over hosts:
// each file's exit status lands in the job log, and --resume-failed runs the failed ones again.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli_fixture.h"

using testing_support::ChildResult;
using testing_support::CliConvertTest;
using testing_support::Exists;
using testing_support::kCli;
using testing_support::ProbeMedia;
using testing_support::ReadFile;

namespace {

// The last exit status the job log records for each file (the command's last word).
std::map<std::string, int> ExitStatuses(const std::string& joblog) {
    std::map<std::string, int> statuses;
    std::istringstream lines(ReadFile(joblog));
    std::string line;
    std::getline(lines, line);  // the header
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::istringstream parts(line);
        for (std::string field; std::getline(parts, field, '\t');) fields.push_back(field);
        if (fields.size() < 9)
            continue;
        const std::string& command = fields[8];
        statuses[command.substr(command.rfind(' ') + 1)] = std::stoi(fields[6]);
    }
    return statuses;
}

}  // namespace

TEST_F(CliConvertTest, GnuParallelLogsEachFilesExitStatusAndResumesTheFailedOne) {
    const std::string parallel = testing_support::FindOnPath("parallel");
    if (parallel.empty())
        GTEST_SKIP() << "GNU parallel is not installed (./run installs it)";
    ClipAt("good1.avi");
    ClipAt("good2.avi");
    testing_support::WriteCorruptVideo(Path("bad.avi"));
    const std::string joblog = Path("jobs.log");
    auto runParallel = [&](const std::vector<std::string>& resume) {
        std::vector<std::string> command = {parallel, "--will-cite", "--joblog", joblog, "-j2"};
        command.insert(command.end(), resume.begin(), resume.end());
        command.insert(command.end(), {kCli, "-j1", "--profile", "3", "--out", "out", "{}",
                                       ":::", "good1.avi", "bad.avi", "good2.avi"});
        return RunCommand(command);
    };

    const ChildResult first = runParallel({});
    EXPECT_EQ(first.exitCode, 1) << first.err;  // parallel's: how many jobs failed
    EXPECT_EQ(ExitStatuses(joblog),
              (std::map<std::string, int>{{"bad.avi", 1}, {"good1.avi", 0}, {"good2.avi", 0}}));
    EXPECT_NE(first.out.find("Error\tbad.avi\n"), std::string::npos) << first.out;
    for (const char* result : {"out/good1.flv", "out/good2.flv"})
        EXPECT_EQ(ProbeMedia(Path(result)).Format("format_name"), "flv") << result;
    EXPECT_FALSE(Exists(Path("out/bad.flv")));

    // Once the file is mended, only it runs again.
    ClipAt("bad.avi");
    const ChildResult resumed = runParallel({"--resume-failed"});
    EXPECT_EQ(resumed.exitCode, 0) << resumed.err;
    EXPECT_EQ(resumed.out, "Complete\tbad.avi\n");
    EXPECT_EQ(ExitStatuses(joblog).at("bad.avi"), 0);
    EXPECT_EQ(ProbeMedia(Path("out/bad.flv")).Format("format_name"), "flv");
}
