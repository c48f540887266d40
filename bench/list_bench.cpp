// The job list under load: one Add of 1000 files whose lengths the fake encoder reports (built
// with the tests, placed as DLL/ffmpeg in a temporary folder), then full repaints of the list
// at positions from its top to its bottom, with no row and with every row selected.
//   list_bench [ROWS] [REPAINTS_PER_POSITION]      (defaults 1000 and 10)
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise. Prints one line per
// figure; the settings and output folders are the bench's own and are removed at the end.
#include <stdlib.h>

#include <QApplication>
#include <QDialog>
#include <QScrollBar>
#include <QTreeWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/shell.h"
#include "ui/converter_dlg.h"
#include "ui/ui_services.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

class NoShell final : public platform::Shell {
public:
    int Open(const std::string&) override { return platform::kShellOk; }
};

// Picks the bench's files, answers every question with No, opens nothing.
class BenchServices final : public ui::UiServices {
public:
    QStringList files;
    std::string toolFolder;
    int messages = 0;

    int RunModal(QDialog&) override { return QDialog::Rejected; }
    QStringList PickFiles(QWidget*, const std::vector<ui::FileFilter>&) override { return files; }
    std::optional<QString> PickFolder(QWidget*, const QString&, const QString&) override {
        return std::nullopt;
    }
    bool AskYesNo(QWidget*, const QString&, const QString&, ui::MessageIcon) override {
        ++messages;
        return false;
    }
    void Tell(QWidget*, const QString&, const QString&, ui::MessageIcon) override { ++messages; }
    platform::Shell& Shell() override { return shell_; }
    std::string ToolFolder() override { return toolFolder; }

private:
    NoShell shell_;
};

struct AddResult {
    double msPerRow = 0;
    int rows = 0;
    int withLength = 0;
};

AddResult AddAll(CConverterDlg& dlg) {
    const auto start = Clock::now();
    dlg.OnAdd();
    AddResult result;
    result.rows = dlg.m_listJobs->topLevelItemCount();
    result.msPerRow = MsSince(start) / std::max(1, result.rows);
    for (int row = 0; row < result.rows; ++row) {
        if (!dlg.m_listJobs->topLevelItem(row)->text(2).isEmpty())
            ++result.withLength;
    }
    return result;
}

// Median time of one full repaint of the list's visible rows, over `positions` scroll
// positions from top to bottom, `repeats` times each.
double MedianRepaintMs(QTreeWidget& list, int positions, int repeats) {
    QScrollBar* bar = list.verticalScrollBar();
    std::vector<double> times;
    for (int p = 0; p < positions; ++p) {
        bar->setValue(bar->minimum() + (bar->maximum() - bar->minimum()) * p / (positions - 1));
        QApplication::processEvents();
        for (int r = 0; r < repeats; ++r) {
            const auto start = Clock::now();
            list.viewport()->repaint();
            times.push_back(MsSince(start));
        }
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int rows = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);

    std::string pattern = (fs::temp_directory_path() / "vantrel-list-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("list bench: no temporary folder");
        return 1;
    }
    const fs::path work = pattern;
    fs::create_directories(work / "tool/DLL");
    fs::create_directories(work / "in");
    fs::create_directories(work / "home");
    fs::create_symlink(FAKE_ENCODER_PATH, work / "tool/DLL/ffmpeg");
    ::setenv("HOME", (work / "home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (work / "config").c_str(), 1);
    {
        fs::create_directories(work / "config/vantrel");
        std::ofstream ini(work / "config/vantrel/vantrel.ini");
        ini << "[Settings]\nOut Path=" << (work / "out").string() << "\n";
    }

    QApplication app(argc, argv);
    BenchServices services;
    for (int i = 0; i < rows; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "clip%04d.avi", i);
        const fs::path path = work / "in" / name;
        std::ofstream(path) << "not really a video";
        services.files << QString::fromStdString(path.string());
    }

    int status = 0;
    {
        // The probes run the fake encoder, which reports a length for every file.
        services.toolFolder = (work / "tool").string();
        CConverterDlg dlg(nullptr, &services);
        dlg.show();
        const AddResult probed = AddAll(dlg);
        std::printf("list bench: Add of %d files, probed by the fake encoder: %.2f ms per row\n",
                    probed.rows, probed.msPerRow);
        if (probed.rows != rows || probed.withLength != rows) {
            std::fprintf(stderr, "list bench: %d rows, %d with a length; %d expected\n",
                         probed.rows, probed.withLength, rows);
            status = 1;
        }

        QTreeWidget& list = *dlg.m_listJobs;
        const double plain = MedianRepaintMs(list, 20, repeats);
        list.selectAll();
        const double selected = MedianRepaintMs(list, 20, repeats);
        std::printf(
            "list bench: full repaint of the list (median of %d, 20 scroll positions): "
            "%.2f ms, every row selected: %.2f ms\n",
            20 * repeats, plain, selected);
    }
    {
        // No tool: each probe fails at once, which leaves the list's own share of Add.
        services.toolFolder = (work / "no-tool").string();
        CConverterDlg dlg(nullptr, &services);
        dlg.show();
        const AddResult listOnly = AddAll(dlg);
        std::printf(
            "list bench: Add of %d files without a tool (the list's own work): %.2f ms "
            "per row\n",
            listOnly.rows, listOnly.msPerRow);
    }
    if (services.messages != 0) {
        std::fprintf(stderr, "list bench: %d unexpected messages\n", services.messages);
        status = 1;
    }

    std::error_code ignored;
    fs::remove_all(work, ignored);
    return status;
}
