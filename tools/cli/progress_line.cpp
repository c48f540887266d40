#include "progress_line.h"

#include <algorithm>

namespace cli {
namespace {

constexpr int kBarWidth = 20;
// A running job takes two blanks, its name, a blank and up to "100%".
constexpr std::size_t kJobFrame = 7;
// A name is never shortened below "..." and a few characters of its end.
constexpr std::size_t kShortestName = 8;
constexpr char kEllipsis[] = "...";

bool StartsCharacter(char c) {
    return (static_cast<unsigned char>(c) & 0xc0) != 0x80;
}

std::size_t Columns(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), StartsCharacter));
}

// The first `columns` characters of `text`.
std::string Head(const std::string& text, std::size_t columns) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (StartsCharacter(text[i]) && seen++ == columns)
            return text.substr(0, i);
    return text;
}

// `name` in at most `columns` characters: its end, after "...", when it is longer.
std::string Shortened(const std::string& name, std::size_t columns) {
    const std::size_t length = Columns(name);
    if (length <= columns)
        return name;
    std::size_t drop = length - (columns - (sizeof kEllipsis - 1));
    std::size_t i = 0;
    for (; i < name.size(); ++i)
        if (StartsCharacter(name[i]) && drop-- == 0)
            break;
    return kEllipsis + name.substr(i);
}

// The most columns a name may take so that all the running jobs fit into `room`: names
// shorter than an even share keep their length and leave the rest to the longer ones.
std::size_t NameRoom(const std::vector<RunningJob>& running, std::size_t room) {
    std::vector<std::size_t> lengths;
    for (const RunningJob& job : running) lengths.push_back(Columns(job.name));
    std::sort(lengths.begin(), lengths.end());
    std::size_t left = room > kJobFrame * running.size() ? room - kJobFrame * running.size() : 0;
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        const std::size_t share = left / (lengths.size() - i);
        if (lengths[i] > share)
            return std::max(kShortestName, share);
        left -= lengths[i];
    }
    return std::string::npos;  // everything fits
}

}  // namespace

std::string ProgressLine(int done, int total, int batchPercent,
                         const std::vector<RunningJob>& running, std::size_t width,
                         const std::string& left) {
    const int filled = std::clamp(batchPercent, 0, 100) * kBarWidth / 100;
    std::string line = "[" + std::string(filled, '#') + std::string(kBarWidth - filled, '-') +
                       "] " + std::to_string(done) + "/" + std::to_string(total) + " done";
    if (!left.empty())
        line += ", " + left + " left";

    const std::size_t room = width > Columns(line) ? width - Columns(line) : 0;
    const std::size_t nameRoom = NameRoom(running, room);
    for (const RunningJob& job : running)
        line += "  " + Shortened(job.name, nameRoom) + " " +
                std::to_string(std::clamp(job.percent, 0, 100)) + "%";
    return Head(line, width);
}

}  // namespace cli
