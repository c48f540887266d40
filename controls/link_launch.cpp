#include "controls/link_launch.h"

#include "platform/shell.h"

namespace controls {
namespace {

bool IsPlaceholderCode(char c) {
    return c == '1' || c == 'u' || c == 'U' || c == 'f' || c == 'F' || c == 's';
}

// Field codes of desktop entries that stand for things other than the target; they expand to
// nothing we have, so they are left out.
bool IsOtherFieldCode(char c) {
    for (char code : std::string("dDnNvmick")) {
        if (c == code)
            return true;
    }
    return false;
}

}  // namespace

std::string CutAtPlaceholder(const std::string& command) {
    const std::size_t quoted = command.find("\"%1\"");
    if (quoted != std::string::npos)
        return command.substr(0, quoted);
    const std::size_t bare = command.find("%1");
    if (bare != std::string::npos)
        return command.substr(0, bare);
    for (std::size_t i = 0; i + 1 < command.size(); ++i) {
        if (command[i] != '%')
            continue;
        const char next = command[i + 1];
        if (next == '%') {
            ++i;  // an escaped percent sign, not a placeholder
            continue;
        }
        if (IsPlaceholderCode(next)) {
            const bool inQuotes = i > 0 && command[i - 1] == '"';
            return command.substr(0, inQuotes ? i - 1 : i);
        }
    }
    return command;
}

std::optional<std::vector<std::string>> SplitCommandWords(const std::string& command) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    char quote = 0;
    for (std::size_t i = 0; i < command.size(); ++i) {
        const char c = command[i];
        if (quote == '\'') {
            if (c == '\'')
                quote = 0;
            else
                word += c;
            continue;
        }
        if (c == '\\' && i + 1 < command.size()) {
            word += command[++i];
            inWord = true;
            continue;
        }
        if (c == '%' && i + 1 < command.size()) {
            const char next = command[i + 1];
            if (next == '%' || IsOtherFieldCode(next)) {
                if (next == '%')
                    word += '%';
                inWord = inWord || next == '%';
                ++i;
                continue;
            }
        }
        if (quote == '"') {
            if (c == '"')
                quote = 0;
            else
                word += c;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
            inWord = true;
        } else if (c == ' ' || c == '\t') {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quote != 0)
        return std::nullopt;
    if (inWord)
        words.push_back(word);
    return words;
}

std::vector<std::string> FallbackArguments(const std::string& command, const std::string& target) {
    std::optional<std::vector<std::string>> words = SplitCommandWords(CutAtPlaceholder(command));
    if (!words || words->empty())
        return {};
    words->push_back(target);
    return *words;
}

std::string OpenErrorText(int code) {
    switch (code) {
        case 0:
            return "The operating system is out\nof memory or resources.";
        case 2:
            return "The specified file was not found.";
        case 3:
            return "The specified path was not found.";
        case 5:
            return "The operating system denied\naccess to the specified file.";
        case 8:
            return "There was not enough memory to complete the operation.";
        case 11:
            return "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
        case 26:
            return "A sharing violation occurred. ";
        case 27:
            return "The filename association is\nincomplete or invalid.";
        case 28:
            return "The DDE transaction could not\nbe completed because the request timed out.";
        case 29:
            return "The DDE transaction failed.";
        case 30:
            return "The DDE transaction could not\nbe completed because other DDE "
                   "transactions\nwere being processed.";
        case 31:
            return "There is no application associated\nwith the given filename extension.";
        case 32:
            return "The specified dynamic-link library was not found.";
        default:
            return "Unknown Error (" + std::to_string(code) + ") occurred.";
    }
}

std::string OpenErrorMessage(int code) {
    return "Can't open link:\n\n" + OpenErrorText(code);
}

int LaunchTarget(const std::string& target, platform::Shell& shell, BrowserFallback& fallback) {
    const int shellResult = shell.Open(target);
    if (shellResult > 32)
        return shellResult;
    const std::optional<std::string> command = fallback.BrowserCommand();
    if (!command)
        return shellResult;
    const std::vector<std::string> words = FallbackArguments(*command, target);
    if (words.empty())
        return shellResult;
    return fallback.Run(words);
}

}  // namespace controls
