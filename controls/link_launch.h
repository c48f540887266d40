// Opening a link target: the desktop's opener first, the browser's own command as fall-back,
// and the texts that report a failure.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {
class Shell;
}

namespace controls {

// `command` cut before the place where the target goes: at the opening quote of a quoted
// "%1", else at a bare %1, else at the first of the desktop-entry field codes %u %U %f %F or
// the %s of the BROWSER convention. Without a placeholder the command stays whole.
std::string CutAtPlaceholder(const std::string& command);

// Splits a command line into words as desktop entries quote them: blanks separate words,
// double quotes group, and a backslash inside quotes takes the next character literally.
// "%%" stands for one percent sign. Returns nothing for an unbalanced quote.
std::optional<std::vector<std::string>> SplitCommandWords(const std::string& command);

// The program and arguments of the fall-back: the words of the command cut at its placeholder,
// then the target as one more word, whatever blanks or quotes it contains. Empty when the
// command yields no program.
std::vector<std::string> FallbackArguments(const std::string& command, const std::string& target);

// The reason shown for a failed open, by result code; unknown codes name the code.
std::string OpenErrorText(int code);

// The whole message of a failed open: "Can't open link:", an empty line, then the reason.
std::string OpenErrorMessage(int code);

// Where the fall-back finds the browser and how it starts it. Tests substitute their own.
class BrowserFallback {
public:
    virtual ~BrowserFallback() = default;
    // The command line that opens web pages, if the desktop names one.
    virtual std::optional<std::string> BrowserCommand() const = 0;
    // Starts a program with arguments (no shell). More than 32 on success, else a failure code.
    virtual int Run(const std::vector<std::string>& words) = 0;
};

// The real environment: the BROWSER variable or the default web browser's desktop entry, and
// a detached child process.
BrowserFallback& SystemBrowserFallback();

// Opens `target` through `shell`; if that fails and a browser command is known, runs it on the
// target. Returns more than 32 on success, otherwise the failure code: the command's when the
// fall-back ran, the shell's when it could not.
int LaunchTarget(const std::string& target, platform::Shell& shell, BrowserFallback& fallback);

}  // namespace controls
