// UiServices that answer in place of the user: modal dialogs are handed to a callback instead
// of blocking, questions get a preset answer, messages and opened targets are recorded.
#pragma once

#include <QAccessibleEvent>
#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/shell.h"
#include "ui/ui_services.h"

namespace testing_support {

class RecordingShell final : public platform::Shell {
public:
    int Open(const std::string& target) override {
        opened.push_back(target);
        return result;
    }
    std::vector<std::string> opened;
    int result = platform::kShellOk;  // what every open answers
};

struct ToldMessage {
    QString caption;
    QString text;
    ui::MessageIcon icon;
    QStringList items;  // the files of a TellList
};

class FakeUiServices final : public ui::UiServices {
public:
    // Called with every dialog that would run modally; its result is RunModal's. By default
    // the dialog is closed with Cancel at once.
    std::function<int(QDialog&)> onModal = [](QDialog&) { return int{QDialog::Rejected}; };
    std::vector<QString> modalClasses;  // class names of the dialogs run, in order

    QStringList filesToPick;
    std::optional<QString> folderToPick;
    std::vector<std::vector<ui::FileFilter>> fileFilters;  // the types of every file pick
    std::vector<QString> folderPrompts;                    // the text of every folder pick
    std::vector<QString> folderStarts;                     // where every folder pick opens
    bool answer = false;
    // When set, answers each question in place of `answer`.
    std::function<bool(const ToldMessage&)> onAsk;
    std::vector<ToldMessage> asked;
    std::vector<ToldMessage> told;
    RecordingShell shell;

    int RunModal(QDialog& dialog) override {
        modalClasses.push_back(QString::fromLatin1(dialog.metaObject()->className()));
        return onModal(dialog);
    }
    QStringList PickFiles(QWidget*, const std::vector<ui::FileFilter>& filters) override {
        fileFilters.push_back(filters);
        return filesToPick;
    }
    std::optional<QString> PickFolder(QWidget*, const QString& prompt,
                                      const QString& start) override {
        folderPrompts.push_back(prompt);
        folderStarts.push_back(start);
        return folderToPick;
    }
    bool AskYesNo(QWidget*, const QString& caption, const QString& text,
                  ui::MessageIcon icon) override {
        asked.push_back({caption, text, icon, {}});
        return onAsk ? onAsk(asked.back()) : answer;
    }
    void Tell(QWidget*, const QString& caption, const QString& text,
              ui::MessageIcon icon) override {
        told.push_back({caption, text, icon, {}});
    }
    void TellList(QWidget*, const QString& caption, const QString& text, const QStringList& items,
                  ui::MessageIcon icon) override {
        told.push_back({caption, text, icon, items});
    }
    // Answers each overwrite question; by default Yes or No as AskYesNo would answer.
    std::function<ui::OverwriteAnswer(const ToldMessage&)> onOverwrite;
    std::vector<bool> overwriteSeveral;  // whether each overwrite question offered "to All"
    ui::OverwriteAnswer AskOverwrite(QWidget* owner, const QString& text, bool several) override {
        overwriteSeveral.push_back(several);
        if (onOverwrite) {
            asked.push_back({QStringLiteral("Warning"), text, ui::MessageIcon::Exclamation, {}});
            return onOverwrite(asked.back());
        }
        return AskYesNo(owner, QStringLiteral("Warning"), text, ui::MessageIcon::Exclamation)
                   ? ui::OverwriteAnswer::Yes
                   : ui::OverwriteAnswer::No;
    }
    // (object, child) of every event told to assistive tools.
    std::vector<std::pair<QObject*, int>> announced;
    void Announce(QAccessibleEvent& event) override {
        announced.emplace_back(event.object(), event.child());
    }
    platform::Shell& Shell() override { return shell; }
    std::vector<std::pair<QString, QString>> notified;  // (summary, body) of every notification
    void Notify(const QString& summary, const QString& body) override {
        notified.emplace_back(summary, body);
    }

    // Where DLL/ffmpeg is looked for: by default a folder that does not exist, so that no
    // test runs a tool it did not put there.
    std::string toolFolder = "/nonexistent/vantrel-test-tools";
    std::string ToolFolder() override { return toolFolder; }
};

}  // namespace testing_support
