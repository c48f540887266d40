#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "platform/console.h"
#include "platform/wide_text.h"

namespace platform {
namespace {

HANDLE Handle(StdStream stream) {
    return ::GetStdHandle(stream == StdStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

}  // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr)
        return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) args.push_back(Utf8FromWide(wide[i]));
    ::LocalFree(wide);
    return args;
}

void PrepareConsole() {
    ::SetConsoleOutputCP(CP_UTF8);
    for (StdStream stream : {StdStream::Output, StdStream::Error}) {
        DWORD mode = 0;
        if (::GetConsoleMode(Handle(stream), &mode))
            ::SetConsoleMode(Handle(stream), mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    }
}

bool IsTerminal(StdStream stream) {
    DWORD mode = 0;
    return ::GetConsoleMode(Handle(stream), &mode) != 0;
}

int TerminalColumns(StdStream stream) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!::GetConsoleScreenBufferInfo(Handle(stream), &info))
        return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

}  // namespace platform
