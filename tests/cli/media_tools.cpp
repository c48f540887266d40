#include "media_tools.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <thread>

#include "child_run.h"
#include "support/temp_folder.h"

namespace testing_support {
namespace {

constexpr auto kToolLimit = std::chrono::seconds(60);

std::string Number(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

// key=value|key=value as a map.
std::map<std::string, std::string> Fields(const std::string& line) {
    std::map<std::string, std::string> fields;
    std::istringstream parts(line);
    std::string part;
    while (std::getline(parts, part, '|')) {
        const auto eq = part.find('=');
        if (eq != std::string::npos)
            fields[part.substr(0, eq)] = part.substr(eq + 1);
    }
    return fields;
}

std::string Failure(const ChildResult& run) {
    if (run.timedOut)
        return "timed out: " + run.err;
    return run.exitCode == 0 ? "" : "exit " + std::to_string(run.exitCode) + ": " + run.err;
}

}  // namespace

std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (folder.empty())
            continue;
        const std::string candidate = folder + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return "";
}

bool FfmpegInstalled() {
    return !FindOnPath("ffmpeg").empty() && !FindOnPath("ffprobe").empty();
}

std::string MakeClip(const std::string& path, const ClipSpec& shape) {
    const std::string ffmpeg = FindOnPath("ffmpeg");
    if (ffmpeg.empty())
        return "ffmpeg is not installed";
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    const std::string size = std::to_string(shape.width) + "x" + std::to_string(shape.height);
    const std::string piece = shape.loops > 1 ? path + ".piece.avi" : path;
    std::vector<std::string> make = {ffmpeg,
                                     "-nostdin",
                                     "-v",
                                     "error",
                                     "-y",
                                     "-f",
                                     "lavfi",
                                     "-i",
                                     "testsrc=size=" + size + ":rate=" + std::to_string(shape.rate),
                                     "-f",
                                     "lavfi",
                                     "-i",
                                     "sine=frequency=440:sample_rate=44100",
                                     "-t",
                                     Number(shape.seconds),
                                     "-c:v",
                                     shape.videoCodec,
                                     "-q:v",
                                     "5"};
    if (!shape.pixelFormat.empty())
        make.insert(make.end(), {"-pix_fmt", shape.pixelFormat});
    make.insert(make.end(), {"-c:a", "mp2", piece});
    ChildResult run = RunChild(make, Environment(), kToolLimit);
    if (!Failure(run).empty() || shape.loops <= 1)
        return Failure(run);
    run = RunChild({ffmpeg, "-nostdin", "-v", "error", "-y", "-stream_loop",
                    std::to_string(shape.loops - 1), "-i", piece, "-c", "copy", path},
                   Environment(), kToolLimit);
    std::remove(piece.c_str());
    return Failure(run);
}

std::string WriteCorruptVideo(const std::string& path, std::size_t bytes) {
    std::mt19937 noise(20240531);
    std::string content(bytes, '\0');
    for (char& c : content) c = static_cast<char>(noise() & 0xff);
    WriteFile(path, content);
    return path;
}

MediaInfo ProbeMedia(const std::string& path) {
    MediaInfo info;
    const std::string ffprobe = FindOnPath("ffprobe");
    if (ffprobe.empty()) {
        info.error = "ffprobe is not installed";
        return info;
    }
    const ChildResult run =
        RunChild({ffprobe, "-v", "error", "-show_entries",
                  "format=format_name,duration:format_tags=title:stream=codec_type,codec_name,"
                  "profile,width,height,pix_fmt,r_frame_rate,sample_rate,channels",
                  "-of", "compact", path},
                 Environment(), kToolLimit);
    info.error = Failure(run);
    std::istringstream lines(run.out);
    std::string line;
    while (std::getline(lines, line)) {
        const auto bar = line.find('|');
        if (bar == std::string::npos)
            continue;
        const std::string section = line.substr(0, bar);
        std::map<std::string, std::string> fields = Fields(line.substr(bar + 1));
        if (section == "format")
            info.format = fields;
        else if (section == "stream" && fields["codec_type"] == "video" && info.video.empty())
            info.video = fields;
        else if (section == "stream" && fields["codec_type"] == "audio" && info.audio.empty())
            info.audio = fields;
    }
    return info;
}

std::vector<pid_t> ProcessesMentioning(const std::string& text) {
    std::vector<pid_t> found;
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr)
        return found;
    const pid_t self = ::getpid();
    while (const dirent* entry = ::readdir(proc)) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (*end != '\0' || pid <= 0 || pid == self)
            continue;
        std::ifstream file("/proc/" + std::string(entry->d_name) + "/cmdline", std::ios::binary);
        const std::string cmdline((std::istreambuf_iterator<char>(file)),
                                  std::istreambuf_iterator<char>());
        if (cmdline.find(text) != std::string::npos)
            found.push_back(static_cast<pid_t>(pid));
    }
    ::closedir(proc);
    return found;
}

std::vector<pid_t> ProcessesLeftAfter(const std::string& text, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::vector<pid_t> left = ProcessesMentioning(text);
    while (!left.empty() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        left = ProcessesMentioning(text);
    }
    return left;
}

}  // namespace testing_support
