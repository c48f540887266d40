// Holds on to Wine's desktop for the length of a test run (started by tests/wine/run.sh).
//
// Wine's desktop process (explorer.exe /desktop) ends a second after the last program using the
// desktop has gone, and the next program that needs it starts it again. The new one inherits
// that program's output, a ctest pipe, and ctest then waits minutes for a finished test until
// the desktop process ends; a program starting while the desktop closes may fail outright. This
// program uses the desktop, says "ready", and waits until its input ends.
#include <windows.h>

#include <cstdio>

int main() {
    if (GetDesktopWindow() == nullptr) {
        std::fputs("desktop_keeper: no desktop\n", stderr);
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    return 0;
}
