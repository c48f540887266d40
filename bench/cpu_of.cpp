// cpu_of REPORT PROGRAM [ARGUMENTS...]: runs PROGRAM and writes to REPORT three figures in
// seconds: the CPU time of PROGRAM's own process (user + system, all its threads, none of its
// children), the wall time it ran, and the CPU time of everything it started. The exit status
// is PROGRAM's.
//
// wait4()'s figures include the children a program has reaped, so they cannot tell the front
// end from the encoder it runs. The program's own share is read from /proc/PID/stat after it
// has exited but before it is reaped (waitid with WNOWAIT), when the figures are final.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

// utime + stime of a process from /proc/PID/stat, in clock ticks; -1 when unreadable.
long long OwnTicks(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    std::getline(file, stat);
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return -1;
    // After the command's closing parenthesis: state is field 3, utime 14, stime 15.
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    long long utime = -1, stime = -1;
    for (int number = 3; fields >> field && number <= 15; ++number) {
        if (number == 14)
            utime = std::stoll(field);
        if (number == 15)
            stime = std::stoll(field);
    }
    return utime < 0 || stime < 0 ? -1 : utime + stime;
}

double Seconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: cpu_of REPORT PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) {
        std::perror("cpu_of: fork");
        return 2;
    }
    if (pid == 0) {
        ::execvp(argv[2], argv + 2);
        std::perror("cpu_of: exec");
        ::_exit(127);
    }
    // Ctrl-C reaches the program (same process group); we wait for it to react.
    ::signal(SIGINT, SIG_IGN);

    siginfo_t info{};
    while (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) != 0) {
    }
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long long ticks = OwnTicks(pid);

    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    const double own = ticks < 0 ? -1.0 : static_cast<double>(ticks) / ::sysconf(_SC_CLK_TCK);
    const double all = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);

    std::FILE* report = std::fopen(argv[1], "w");
    if (report == nullptr) {
        std::perror("cpu_of: report");
        return 2;
    }
    std::fprintf(report, "%.3f %.3f %.3f\n", own, wall, all - (own < 0 ? 0 : own));
    std::fclose(report);
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}
