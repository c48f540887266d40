#include "cli_options.h"

#include <limits>

#include "engine/profiles.h"

namespace cli {
namespace {

std::string LastProfile() {
    return std::to_string(engine::kProfileCount - 1);
}

// A number written in decimal digits alone, from `low` to `high`.
std::optional<int> ParseNumber(const std::string& text, int low, int high) {
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const int number = std::stoi(text);
    return number >= low && number <= high ? std::optional<int>(number) : std::nullopt;
}

// "                  N  entry" for each profile, as the window's list shows them.
std::string ProfileList() {
    std::string list;
    for (int i = 0; i < engine::kProfileCount; ++i) {
        list += "                  " + std::to_string(i) + "  " + engine::kProfiles[i].entry;
        list += i == engine::kCustomProfile ? " (from vantrel.ini)\n" : "\n";
    }
    return list;
}

}  // namespace

std::string UsageText() {
    return "Usage: vantrel-cli [--profile N] [--out DIR] [--overwrite] [--no-verify]\n"
           "                   [--jobs N] [--dry-run | --probe] FILE...\n"
           "\n"
           "Converts video files to FLV with the encoder beside Vantrel.\n"
           "\n"
           "  --profile N   output profile, 0 to " +
           LastProfile() + "; default: the profile last chosen in Vantrel\n" + ProfileList() +
           "  --out DIR     output folder; default: Vantrel's output folder\n"
           "  --overwrite   convert even when the target file exists\n"
           "  --no-verify   do not read each result back before it counts as complete;\n"
           "                default: Verify in vantrel.ini, which is on unless it is 0\n"
           "  -j, --jobs N  convert or probe up to N files at once; default: the number of\n"
           "                processors online, at most the number of files\n"
           "  --dry-run     print each encoder command line; run nothing, write nothing\n"
           "  --probe       print each file's length, as the job list shows it\n"
           "  --help        show this text\n"
           "  --version     show the version\n"
           "\n"
           "Relative paths are taken from the current folder; put -- before names that begin\n"
           "with '-'. A conversion writes a hidden .vantrel-*.part file beside TARGET and\n"
           "renames it to TARGET when complete, after FFmpeg has read it back whole (unless\n"
           "--no-verify): a result that cannot be read or stops short of the source is an\n"
           "error and never becomes TARGET.\n"
           "Each job ends with a line on standard output: its status word, a tab, the FILE;\n"
           "--probe prints the FILE, a tab and its length. In every name printed, a backslash\n"
           "is written \\\\, a line break \\n, a tab \\t, a carriage return \\r, and any other\n"
           "control character (bytes 01 to 1f, 7f) as \\xHH, two hex digits: one job, one line.\n"
           "\n"
           "Exit status: 0 all jobs complete (those whose target exists are skipped with a\n"
           "warning), 1 a file was not converted or a length was not found, 2 bad usage,\n"
           "130 stopped.\n";
}

ParseResult ParseOptions(const std::vector<std::string>& args) {
    ParseResult result;
    Options& options = result.options;
    auto fail = [&](std::string error) {
        result.error = std::move(error);
        return result;
    };
    bool dryRun = false;
    bool probe = false;
    bool onlyFiles = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (onlyFiles || arg.empty() || arg[0] != '-' || arg == "-") {
            options.files.push_back(arg);
            continue;
        }
        // "--name=value" and "--name value" are both accepted for options with a value.
        std::string name = arg;
        std::optional<std::string> value;
        if (const auto eq = arg.find('='); eq != std::string::npos && arg.rfind("--", 0) == 0) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
        } else if (arg.rfind("-j", 0) == 0 && arg.size() > 2) {  // "-j4"
            name = "-j";
            value = arg.substr(2);
        }
        auto takeValue = [&]() -> std::optional<std::string> {
            if (value)
                return value;
            if (i + 1 < args.size())
                return args[++i];
            return std::nullopt;
        };
        if (name == "--") {
            onlyFiles = true;
        } else if (name == "--help" || name == "-h") {
            options.mode = Mode::Help;
            return result;
        } else if (name == "--version") {
            options.mode = Mode::Version;
            return result;
        } else if (name == "--profile") {
            const auto text = takeValue();
            if (!text)
                return fail("--profile needs a number from 0 to " + LastProfile());
            options.profile = ParseNumber(*text, 0, engine::kProfileCount - 1);
            if (!options.profile)
                return fail("--profile takes a number from 0 to " + LastProfile() + ", not '" +
                            *text + "'");
        } else if (name == "--jobs" || name == "-j") {
            const auto text = takeValue();
            if (!text)
                return fail("--jobs needs a number of 1 or more");
            options.jobs = ParseNumber(*text, 1, std::numeric_limits<int>::max());
            if (!options.jobs)
                return fail("--jobs takes a number of 1 or more, not '" + *text + "'");
        } else if (name == "--out") {
            const auto text = takeValue();
            if (!text || text->empty())
                return fail("--out needs a folder");
            options.out = *text;
        } else if (name == "--overwrite" && !value) {
            options.overwrite = true;
        } else if (name == "--no-verify" && !value) {
            options.verify = false;
        } else if (name == "--dry-run" && !value) {
            dryRun = true;
        } else if (name == "--probe" && !value) {
            probe = true;
        } else {
            return fail("unknown option '" + arg + "'");
        }
    }
    if (dryRun && probe)
        return fail("--dry-run and --probe cannot be used together");
    if (options.files.empty())
        return fail("no file given");
    options.mode = dryRun ? Mode::DryRun : probe ? Mode::Probe : Mode::Convert;
    return result;
}

}  // namespace cli
