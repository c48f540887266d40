#include "engine/queue_file.h"

#include <ctime>
#include <nlohmann/json.hpp>

#include "engine/job_list.h"
#include "platform/fs.h"

namespace engine {
namespace {

using nlohmann::json;

// The states as the file spells them: the status words, and one for a skipped job.
constexpr struct {
    JobState state;
    const char* name;
} kStateNames[] = {
    {JobState::Ready, kStatusReady},       {JobState::Converting, kStatusConverting},
    {JobState::Complete, kStatusComplete}, {JobState::Error, kStatusError},
    {JobState::Stop, kStatusStop},         {JobState::Skipped, "Skipped"},
};

const char* StateName(JobState state) {
    for (const auto& entry : kStateNames) {
        if (entry.state == state)
            return entry.name;
    }
    return kStatusError;
}

bool StateFromName(const std::string& name, JobState* state) {
    for (const auto& entry : kStateNames) {
        if (name == entry.name) {
            *state = entry.state;
            return true;
        }
    }
    return false;
}

// Paths are bytes, not always UTF-8, and JSON strings are Unicode: a text that is not UTF-8
// is kept as {"bytes": its bytes in hexadecimal}, so that every name comes back as it was.
std::string Hex(const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const unsigned char c : bytes) {
        text += kDigits[c >> 4];
        text += kDigits[c & 15];
    }
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool FromHex(const std::string& text, std::string* bytes) {
    if (text.size() % 2 != 0)
        return false;
    bytes->clear();
    bytes->reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0)
            return false;
        *bytes += static_cast<char>(high * 16 + low);
    }
    return true;
}

json TextJson(const std::string& bytes) {
    try {
        (void)json(bytes).dump();  // throws on text that is not UTF-8
        return bytes;
    } catch (const json::exception&) {
        return {{"bytes", Hex(bytes)}};
    }
}

bool TextFromJson(const json& value, std::string* bytes) {
    if (value.is_string()) {
        *bytes = value.get<std::string>();
        return true;
    }
    if (!value.is_object())
        return false;
    const auto hex = value.find("bytes");
    return hex != value.end() && hex->is_string() &&
           FromHex(hex->get_ref<const std::string&>(), bytes);
}

json RowJson(const Job& row) {
    return {{"source", TextJson(row.source)},
            {"target", TextJson(row.target)},
            {"length", TextJson(row.length)},
            {"status", StateName(row.state)},
            {"reason", TextJson(row.reason)},
            {"started", row.started},
            {"ended", row.ended},
            {"replace", row.replaceStamp},
            {"result", row.resultStamp}};
}

// One row, or false when any field is missing or of the wrong kind.
bool RowFromJson(const json& value, Job* row) {
    if (!value.is_object())
        return false;
    auto text = [&value](const char* key, std::string* out) {
        const auto field = value.find(key);
        return field != value.end() && TextFromJson(*field, out);
    };
    auto plain = [&value](const char* key, std::string* out) {
        const auto field = value.find(key);
        if (field == value.end() || !field->is_string())
            return false;
        *out = field->get<std::string>();
        return true;
    };
    auto number = [&value](const char* key, std::int64_t* out) {
        const auto field = value.find(key);
        if (field == value.end() || !field->is_number_integer())
            return false;
        *out = field->get<std::int64_t>();
        return true;
    };
    std::string status;
    return text("source", &row->source) && !row->source.empty() && text("target", &row->target) &&
           text("length", &row->length) && text("reason", &row->reason) &&
           plain("status", &status) && StateFromName(status, &row->state) &&
           number("started", &row->started) && number("ended", &row->ended) &&
           plain("replace", &row->replaceStamp) && plain("result", &row->resultStamp);
}

}  // namespace

std::string QueueText(const std::vector<Job>& rows) {
    json list = json::array();
    for (const Job& row : rows) list.push_back(RowJson(row));
    const json file = {{"vantrel-queue", kQueueFormatVersion}, {"rows", std::move(list)}};
    return file.dump(1) + "\n";
}

QueueRead ReadQueueText(const std::string& text) {
    QueueRead read;
    const json file = json::parse(text, nullptr, false);
    if (file.is_discarded() || !file.is_object()) {
        read.problem = "it is damaged";
        return read;
    }
    const auto version = file.find("vantrel-queue");
    if (version == file.end() || !version->is_number_integer()) {
        read.problem = "it is damaged";
        return read;
    }
    if (version->get<long long>() != kQueueFormatVersion) {
        read.problem = version->get<long long>() > kQueueFormatVersion
                           ? "it was written by a newer Vantrel"
                           : "it is damaged";
        return read;
    }
    const auto rows = file.find("rows");
    if (rows == file.end() || !rows->is_array()) {
        read.problem = "it is damaged";
        return read;
    }
    for (const json& value : *rows) {
        Job row;
        if (!RowFromJson(value, &row)) {
            read.rows.clear();
            read.problem = "it is damaged";
            return read;
        }
        read.rows.push_back(std::move(row));
    }
    return read;
}

QueueLoad LoadQueue(const std::string& path) {
    QueueLoad load;
    if (!platform::PathExists(path))
        return load;
    platform::FileStatus status;
    const std::optional<std::string> text = platform::ReadFile(path, &status);
    QueueRead read;
    if (text)
        read = ReadQueueText(*text);
    else
        read.problem = "it cannot be read (" + status.Message() + ")";
    if (read.problem.empty()) {
        load.rows = std::move(read.rows);
        RecoverInterruptedRows(load.rows);
        return load;
    }
    const std::string aside = path + ".unreadable-" + std::to_string(std::time(nullptr));
    const platform::FileStatus moved = platform::RenameFile(path, aside);
    load.message = "The saved job list " + path + " is not used: " + read.problem + ".\n\n" +
                   (moved ? "It was kept as " + aside + "."
                          : "It could not be set aside: " + moved.Message() + ".") +
                   " The list starts empty.";
    return load;
}

std::string SaveQueue(const std::string& path, const std::vector<Job>& rows) {
    const platform::FileStatus saved = platform::ReplaceFileAtomically(path, QueueText(rows));
    return saved ? "" : saved.Message();
}

}  // namespace engine
