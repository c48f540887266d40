// The fall-back's real environment: the desktop's browser command, started as a detached
// child process without a shell.
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <cstdlib>

#include "controls/desktop_entry.h"
#include "controls/link_launch.h"
#include "platform/shell.h"

namespace controls {
namespace {

// Result codes of a program that could not be started, in the shell's convention.
constexpr int kPathNotFound = 3;

int FailureCode(const QString& program) {
    if (!program.contains(QLatin1Char('/'))) {
        return QStandardPaths::findExecutable(program).isEmpty() ? platform::kShellFileNotFound
                                                                 : platform::kShellOutOfResources;
    }
    const QFileInfo info(program);
    if (!info.dir().exists())
        return kPathNotFound;
    if (!info.exists())
        return platform::kShellFileNotFound;
    if (!info.isExecutable() || info.isDir())
        return platform::kShellAccessDenied;
    return platform::kShellOutOfResources;
}

class SystemFallback final : public BrowserFallback {
public:
    std::optional<std::string> BrowserCommand() const override {
        // BROWSER may list several commands separated by colons; the first is the user's choice.
        if (const char* browser = std::getenv("BROWSER")) {
            std::string first(browser);
            first = first.substr(0, first.find(':'));
            if (first.find_first_not_of(" \t") != std::string::npos)
                return first;
        }
        return DefaultBrowserCommand(CurrentXdgDirectories());
    }

    int Run(const std::vector<std::string>& words) override {
        if (words.empty())
            return platform::kShellFileNotFound;
        QStringList arguments;
        for (std::size_t i = 1; i < words.size(); ++i) {
            arguments << QString::fromStdString(words[i]);
        }
        const QString program = QString::fromStdString(words[0]);
        QProcess process;
        process.setProgram(program);
        process.setArguments(arguments);
        process.setStandardInputFile(QProcess::nullDevice());
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        if (process.startDetached())
            return platform::kShellOk;
        return FailureCode(program);
    }
};

}  // namespace

BrowserFallback& SystemBrowserFallback() {
    static SystemFallback fallback;
    return fallback;
}

}  // namespace controls
