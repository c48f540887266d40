// One job of a batch: a source file, the target it becomes, and how far it has come.
#pragma once

#include <string>

namespace engine {

enum class JobState {
    Ready,       // not handled yet in this batch
    Converting,  // its encoder runs
    Complete,    // the whole target is there
    Error,       // it failed; `reason` says why
    Stop,        // the user stopped it; its partial output is gone
    Skipped,     // not run at all; `reason` says why (a front end may show it as an error)
};

// The status words a job list shows.
inline constexpr char kStatusReady[] = "Ready";
inline constexpr char kStatusConverting[] = "Converting";
inline constexpr char kStatusComplete[] = "Complete";
inline constexpr char kStatusError[] = "Error";
inline constexpr char kStatusStop[] = "Stop";

// The status word for a state. A skipped job reads "Error": it did not convert.
const char* StatusWord(JobState state);

struct Job {
    std::string source;  // absolute path of the source file
    std::string target;  // absolute path of the result: output folder, title, ".flv"
    JobState state = JobState::Ready;
    int progress = 0;    // per cent, 0 to 100
    std::string reason;  // why it did not complete; "" otherwise
    int exitCode = -1;   // the encoder's exit status, -1 when it did not exit by itself
    // Skipped only because its target exists and the batch does not overwrite; a front end
    // can say how to convert it anyway.
    bool targetExists = false;
    // Skipped because the same file is an earlier job's source: it is converted there.
    bool duplicate = false;

    bool Ended() const { return state != JobState::Ready && state != JobState::Converting; }
};

// The file a conversion writes while it runs, beside its target; it becomes the target only
// when complete. Its name is hidden, short (so it fits wherever the target's name fits) and
// Vantrel's own: ".vantrel-", 16 hexadecimal digits that the target's name gives, ".part". No
// other program picks such a name, and two runs that would write one target pick the same one,
// which only one of them can own at a time (see ConvertJob).
std::string PartPathOf(const std::string& target);

// True when `name` (without a folder) has the form of a PartPathOf name.
bool IsPartFileName(const std::string& name);

}  // namespace engine
