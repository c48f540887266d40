// vantrel.ini: where it lives, its section and keys, and reading and writing one value.
// Nothing is cached: every read goes to the file, every write goes to it at once.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace settings {

inline constexpr char kFileName[] = "vantrel.ini";
inline constexpr char kSection[] = "Settings";

inline constexpr char kOutPath[] = "Out Path";
inline constexpr char kFormat[] = "Format";
inline constexpr char kResolution[] = "Resolution";
inline constexpr char kFrameRate[] = "FrameRate";
inline constexpr char kEncoder[] = "Encoder";
inline constexpr char kBitRate[] = "BitRate";
inline constexpr char kSampleRate[] = "SampleRate";
inline constexpr char kChannel[] = "Channel";
inline constexpr char kAudioEncoder[] = "AudioEncoder";
inline constexpr char kAudioBitRate[] = "AudioBitRate";
// How many conversions the window runs at once; absent: 1.
inline constexpr char kJobs[] = "Jobs";

// Values are read through a buffer of this size, so at most kValueBufferSize - 1 characters
// of a value are seen; "Out Path" alone is read whole, since a cut path names another folder.
inline constexpr int kValueBufferSize = 260;

// $XDG_CONFIG_HOME/vantrel/vantrel.ini (default ~/.config/vantrel/vantrel.ini); on Windows
// %APPDATA%\Vantrel\vantrel.ini.
std::string SettingsFilePath();

// Whether a result is read back by the encoder before its job says "Complete"; absent: 1.
inline constexpr char kVerify[] = "Verify";

// The folder of Vantrel's own state (the job list, the conversion logs):
// $XDG_STATE_HOME/vantrel (default ~/.local/state/vantrel); on Windows %LOCALAPPDATA%\Vantrel.
std::string StateFolder();
// The job list kept between runs, in StateFolder().
std::string QueueFilePath();
// The encoder's output of each job, one file per job, in StateFolder().
std::string LogFolder();

// The output folder shown when "Out Path" is absent: ~/ZedovAvizevare; on Windows
// C:\ZedovAvizevare.
std::string DefaultOutPath();
// The folder that replaces an "Out Path" that neither exists nor can be created (on Windows
// the same name in the user's profile folder); this one is written back to the file.
std::string FallbackOutPath();

// The key's value in section "Settings", or `defaultValue` when the file, section or key is
// absent. Cut to kValueBufferSize - 1 characters, except for "Out Path".
std::string ReadText(const std::string& key, const std::string& defaultValue);

// The values of several keys, each {key, default} as for ReadText, from one reading of the
// file.
std::vector<std::string> ReadTexts(const std::vector<std::pair<std::string, std::string>>& keys);

// Why the settings file cannot be read (it is not a regular file, or far too large for one),
// worded for the user, or "" when it can (or does not exist yet). Such a file is never opened
// or written: every value takes its default.
std::string FileProblem();

// The key's value turned into an integer by the standard text-to-integer conversion, or
// `defaultValue` when absent or empty ("Format=").
int ReadInt(const std::string& key, int defaultValue);

// Sets the key's value in section "Settings". False (with `error` filled) when the file
// could not be written or the value holds a line break; the old file is then left as it was.
bool WriteText(const std::string& key, const std::string& value, std::string* error = nullptr);

// The standard text-to-integer conversion: leading blanks, an optional sign, then digits up
// to the first non-digit; text that does not begin with a number is 0.
int TextToInt(const std::string& text);

struct OutputFolderCheck {
    std::string folder;     // the folder to use
    bool fellBack = false;  // `folder` is the fall-back, which belongs in "Out Path"
};

// The start-up check of the output folder without touching the settings file: `outPath` when
// it is a folder or can be made one (a single folder; parents are not created), else the
// fall-back folder. A relative `outPath` counts as missing: it would depend on the current
// folder, and the encoder could read it as a protocol ("pipe:"). With `create` false nothing
// is created either, and "can be made one" means its parent folder exists and nothing is in
// the way.
OutputFolderCheck ResolveOutputFolder(const std::string& outPath, bool create = true);

// The start-up check of the output folder: `outPath` as read from "Out Path". Returns the
// text the output folder field shows afterwards: `outPath` when it exists or could be created,
// else the fall-back folder, which is created and written to "Out Path".
std::string EnsureOutputFolder(const std::string& outPath);

}  // namespace settings
