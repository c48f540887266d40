// vantrel-cli: Vantrel's batch conversion for scripts and terminals, on the same engine,
// settings file and encoder as the window.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "cli_options.h"
#include "engine/command_line.h"
#include "engine/convert_worker.h"
#include "engine/job_row.h"
#include "platform/fs.h"
#include "settings/settings_file.h"
#include "terminal_host.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitJobFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitStopped = 130;

// Set from the signal handler: both are lock-free atomics, safe to store there.
std::atomic<bool> g_stop{false};
std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnStopSignal(int) {
    g_interrupted.store(true);
    g_stop.store(true);
}

void InstallStopHandlers() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A closed terminal stops too: otherwise we would die at once and the encoder, ended by
    // the adapter, would leave a partial output behind.
    sigaction(SIGHUP, &action, nullptr);
    // A closed pipe on standard output must not kill us in the middle of a job.
    signal(SIGPIPE, SIG_IGN);
}

void Warn(const std::string& text) {
    std::fprintf(stderr, "vantrel-cli: %s\n", text.c_str());
}

int UsageError(const std::string& error) {
    Warn(error);
    std::fputs(cli::UsageText().c_str(), stderr);
    return kExitUsage;
}

// The files in the order given, each once: a second naming of the same file is dropped with a
// warning.
std::vector<std::string> DistinctFiles(const std::vector<std::string>& files) {
    std::vector<std::string> distinct;
    for (const std::string& file : files) {
        bool seen = false;
        for (const std::string& earlier : distinct)
            seen = seen || earlier == file || platform::SameFile(earlier, file);
        if (seen)
            Warn(file + " is named more than once; it is converted once");
        else
            distinct.push_back(file);
    }
    return distinct;
}

// The output folder: --out, else the stored one after the start-up folder check, which here
// writes nothing to the settings file (and, for a dry run, creates nothing either).
std::string OutputFolder(const cli::Options& options) {
    if (options.out)
        return *options.out;
    const std::string stored = settings::ReadText(settings::kOutPath, settings::DefaultOutPath());
    return settings::ResolveOutputFolder(stored, options.mode != cli::Mode::DryRun).folder;
}

int Convert(const cli::Options& options, const std::vector<std::string>& files,
            const std::string& folder, int profile) {
    std::vector<std::string> jobs;
    std::vector<std::string> targets;  // of `jobs`, in the same order
    for (const std::string& file : files) {
        const std::string target = engine::OutputPathOf(file, folder);
        // Two sources with one name (a/clip.avi, b/clip.avi) would write one file: the second
        // would replace the first's result while both report "Complete".
        const auto claimed = std::find(targets.begin(), targets.end(), target);
        if (claimed != targets.end()) {
            Warn("skipping " + file + ": its target " + target + " is that of " +
                 jobs[claimed - targets.begin()]);
            continue;
        }
        if (!options.overwrite && platform::PathExists(target)) {
            Warn("skipping " + file + ": " + target + " exists (--overwrite converts anyway)");
            continue;
        }
        jobs.push_back(file);
        targets.push_back(target);
    }
    if (jobs.empty())
        return kExitOk;
    if (!platform::CreateFolderTree(folder)) {
        Warn("cannot create the output folder " + folder);
        return kExitJobFailed;
    }

    cli::TerminalHost host(jobs, folder, profile, g_stop, isatty(STDERR_FILENO) == 1);
    engine::ConvertWorkerProc(host);

    if (g_interrupted.load())
        return kExitStopped;
    for (const std::string& status : host.Statuses())
        if (status != engine::kStatusComplete)
            return kExitJobFailed;
    return kExitOk;
}

int Probe(const std::vector<std::string>& files) {
    cli::TerminalHost host({}, "", 0, g_stop, false);
    bool toolFailed = false;
    for (const std::string& file : files) {
        std::string length;
        toolFailed = !host.Probe(file, &length) || toolFailed;
        if (g_interrupted.load())
            return kExitStopped;
        std::printf("%s\t%s\n", file.c_str(), length.c_str());
        std::fflush(stdout);
    }
    return toolFailed ? kExitJobFailed : kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    const cli::ParseResult parsed =
        cli::ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty())
        return UsageError(parsed.error);
    const cli::Options& options = parsed.options;

    switch (options.mode) {
        case cli::Mode::Help:
            std::fputs(cli::UsageText().c_str(), stdout);
            return kExitOk;
        case cli::Mode::Version:
            std::puts("vantrel-cli 1.40");
            return kExitOk;
        default:
            break;
    }

    InstallStopHandlers();
    const std::vector<std::string> files = DistinctFiles(options.files);
    if (options.mode == cli::Mode::Probe)
        return Probe(files);

    const int profile =
        options.profile ? *options.profile : settings::ReadInt(settings::kFormat, 0);
    const std::string folder = OutputFolder(options);
    if (options.mode == cli::Mode::DryRun) {
        for (const std::string& file : files)
            std::printf("%s\n", engine::BuildConvertCommand(file, folder, profile).Text().c_str());
        return kExitOk;
    }
    return Convert(options, files, folder, profile);
}
