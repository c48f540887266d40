// vantrel-cli: Vantrel's batch conversion for scripts and terminals, on the same engine,
// settings file and encoder as the window. The engine decides which jobs run and how; this
// program only turns the command line into a batch and prints what the batch reports.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli_options.h"
#include "engine/batch.h"
#include "engine/convert_job.h"
#include "engine/duration_probe.h"
#include "engine/tool_location.h"
#include "platform/console.h"
#include "platform/fs.h"
#include "platform/path.h"
#include "platform/stop_signals.h"
#include "platform/system_info.h"
#include "printable.h"
#include "probe_report.h"
#include "settings/settings_file.h"
#include "terminal_host.h"
#include "vantrel_config.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitJobFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitStopped = 130;

// Set by the stop watch's thread. `g_stop` is the engine's stop request (the batch clears it
// when it honours it); `g_interrupted` stays.
std::atomic<bool> g_stop{false};
std::atomic<bool> g_interrupted{false};

// Ctrl-C, SIGTERM and a closed terminal (SIGHUP; on Windows Ctrl+C, Ctrl+Break and the
// console's close button) stop the batch: otherwise we would die at once and the encoders
// would leave their partial outputs behind.
void InstallStopHandlers() {
    static platform::StopSignalWatch watch([] {
        g_interrupted.store(true);
        g_stop.store(true);
    });
}

int UsageError(const std::string& error) {
    cli::Warn(error);
    std::fputs(cli::UsageText().c_str(), stderr);
    return kExitUsage;
}

// How many conversions or probes run at once: --jobs, else one per processor; never more
// than there are files.
int ParallelJobs(const cli::Options& options) {
    const int wanted = options.jobs ? *options.jobs : platform::OnlineCores();
    return std::max(1, static_cast<int>(std::min<std::size_t>(wanted, options.files.size())));
}

std::vector<std::string> AbsolutePaths(const std::vector<std::string>& paths) {
    std::vector<std::string> absolute;
    absolute.reserve(paths.size());
    for (const std::string& path : paths) absolute.push_back(platform::AbsolutePath(path));
    return absolute;
}

// The output folder: --out made absolute, else the stored one after the start-up folder
// check, which here writes nothing to the settings file (and, for a dry run, creates nothing
// either).
std::string OutputFolder(const cli::Options& options) {
    if (options.out)
        return platform::AbsolutePath(*options.out);
    const std::string stored = settings::ReadText(settings::kOutPath, settings::DefaultOutPath());
    return settings::ResolveOutputFolder(stored, options.mode != cli::Mode::DryRun).folder;
}

int CountReady(const engine::Batch& batch) {
    const std::vector<engine::Job> jobs = batch.Jobs();
    return static_cast<int>(std::count_if(jobs.begin(), jobs.end(), [](const engine::Job& job) {
        return job.state == engine::JobState::Ready;
    }));
}

// Prints the command of each job that would run, and why the others would not.
int DryRun(const engine::Batch& batch, const std::vector<std::string>& names) {
    const engine::BatchOptions& options = batch.Options();
    if (!platform::path::IsAbsolute(options.folder)) {
        cli::Warn(engine::OutputFolderProblem(options.folder));
        return kExitJobFailed;
    }
    const std::vector<engine::Job> jobs = batch.Jobs();
    std::optional<engine::CustomSelection> custom;
    if (options.profile == engine::kCustomProfile)
        custom = engine::ReadCustomSelection();
    for (std::size_t i = 0; i < jobs.size() && !g_interrupted.load(); ++i) {
        const engine::Job& job = jobs[i];
        if (job.state == engine::JobState::Skipped) {
            cli::WarnSkipped(names[i], job);
            continue;
        }
        const std::string command =
            engine::JobCommand(job, options.folder, options.profile, custom ? &*custom : nullptr)
                .Text();
        std::fputs((cli::Printable(command) + "\n").c_str(), stdout);
    }
    return kExitOk;
}

int Convert(engine::Batch& batch, const std::vector<std::string>& names) {
    const int toRun = CountReady(batch);
    if (toRun > 0) {
        // A missing output folder is made (the stored one may have been deleted since); if it
        // still cannot take results, no job is started for nothing.
        const std::string& folder = batch.Options().folder;
        if (platform::path::IsAbsolute(folder))
            platform::CreateFolderTree(folder);
        if (const std::string problem = engine::OutputFolderProblem(folder); !problem.empty()) {
            cli::Warn(problem);
            return kExitJobFailed;
        }
    }
    cli::TerminalHost host(names, toRun, platform::IsTerminal(platform::StdStream::Error));
    engine::ConvertWorkerProc(batch, host);

    if (g_interrupted.load())
        return kExitStopped;
    // A job skipped because its target exists only warns, and a file named twice is converted
    // once; any other file not converted fails.
    const std::vector<engine::Job> jobs = batch.Jobs();
    const bool notConverted = std::any_of(jobs.begin(), jobs.end(), [](const engine::Job& job) {
        return job.state == engine::JobState::Skipped && !job.targetExists && !job.duplicate;
    });
    return host.Summary().failed > 0 || notConverted ? kExitJobFailed : kExitOk;
}

int Probe(const cli::Options& options) {
    engine::ProbeOptions probeOptions;
    probeOptions.toolFolder = engine::FindToolFolder();
    cli::ProbeReport report(options.files, g_interrupted);
    engine::ProbeFiles(AbsolutePaths(options.files), ParallelJobs(options), probeOptions, g_stop,
                       report);
    if (g_interrupted.load())
        return kExitStopped;
    return report.AnyMissing() ? kExitJobFailed : kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    // UTF-8 in and out, whatever the system's code page; a closed pipe must not kill us in
    // the middle of a job.
    platform::PrepareConsole();
    const cli::ParseResult parsed = cli::ParseOptions(platform::ProgramArguments(argc, argv));
    if (!parsed.error.empty())
        return UsageError(parsed.error);
    const cli::Options& options = parsed.options;

    switch (options.mode) {
        case cli::Mode::Help:
            std::fputs(cli::UsageText().c_str(), stdout);
            return kExitOk;
        case cli::Mode::Version:
            std::puts("vantrel-cli " VANTREL_VERSION);
            return kExitOk;
        default:
            break;
    }

    InstallStopHandlers();
    if (options.mode == cli::Mode::Probe)
        return Probe(options);

    // Said once; every value read below then takes its default.
    if (const std::string problem = settings::FileProblem(); !problem.empty())
        cli::Warn(problem);
    engine::BatchOptions batchOptions;
    batchOptions.folder = OutputFolder(options);
    batchOptions.profile =
        options.profile ? *options.profile : settings::ReadInt(settings::kFormat, 0);
    batchOptions.parallel = ParallelJobs(options);
    batchOptions.overwrite = options.overwrite;
    // --no-verify turns the check off; without it the window's choice holds here too.
    batchOptions.verify = options.verify && settings::ReadInt(settings::kVerify, 1) != 0;
    batchOptions.toolFolder = engine::FindToolFolder();
    // Planning looks at each source and target once: no job runs yet.
    engine::Batch batch(AbsolutePaths(options.files), batchOptions, g_stop);
    if (options.mode == cli::Mode::DryRun) {
        const int status = DryRun(batch, options.files);
        return g_interrupted.load() ? kExitStopped : status;
    }
    return Convert(batch, options.files);
}
