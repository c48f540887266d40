// The saved job list's reader on any text: it never throws or crashes, and whatever list it
// accepts is written back as a text that reads as the same list (the file of a list that was
// read once is never lost on the next save).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <tuple>

#include "engine/queue_file.h"

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

auto Fields(const engine::Job& job) {
    return std::tie(job.source, job.target, job.length, job.state, job.reason, job.started,
                    job.ended, job.replaceStamp, job.resultStamp);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const engine::QueueRead read = engine::ReadQueueText(text);
    if (!read.problem.empty()) {
        Check(read.rows.empty());
        return 0;
    }
    const engine::QueueRead again = engine::ReadQueueText(engine::QueueText(read.rows));
    Check(again.problem.empty());
    Check(again.rows.size() == read.rows.size());
    for (std::size_t i = 0; i < read.rows.size(); ++i)
        Check(Fields(again.rows[i]) == Fields(read.rows[i]));
    return 0;
}
