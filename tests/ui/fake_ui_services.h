// UiServices that answer in place of the user: modal dialogs are handed to a callback instead
// of blocking, questions get a preset answer, messages and opened targets are recorded.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "platform/shell.h"
#include "ui/ui_services.h"

namespace testing_support {

class RecordingShell final : public platform::Shell {
public:
    int Open(const std::string& target) override {
        opened.push_back(target);
        return platform::kShellOk;
    }
    std::vector<std::string> opened;
};

struct ToldMessage {
    QString caption;
    QString text;
    ui::MessageIcon icon;
};

class FakeUiServices final : public ui::UiServices {
public:
    // Called with every dialog that would run modally; its result is RunModal's. By default
    // the dialog is closed with Cancel at once.
    std::function<int(QDialog&)> onModal = [](QDialog&) { return int{QDialog::Rejected}; };
    std::vector<QString> modalClasses;  // class names of the dialogs run, in order

    QStringList filesToPick;
    std::optional<QString> folderToPick;
    bool answer = false;
    std::vector<ToldMessage> asked;
    std::vector<ToldMessage> told;
    RecordingShell shell;

    int RunModal(QDialog& dialog) override {
        modalClasses.push_back(QString::fromLatin1(dialog.metaObject()->className()));
        return onModal(dialog);
    }
    QStringList PickFiles(QWidget*, const std::vector<ui::FileFilter>&) override {
        return filesToPick;
    }
    std::optional<QString> PickFolder(QWidget*, const QString&) override { return folderToPick; }
    bool AskYesNo(QWidget*, const QString& caption, const QString& text,
                  ui::MessageIcon icon) override {
        asked.push_back({caption, text, icon});
        return answer;
    }
    void Tell(QWidget*, const QString& caption, const QString& text,
              ui::MessageIcon icon) override {
        told.push_back({caption, text, icon});
    }
    platform::Shell& Shell() override { return shell; }
};

}  // namespace testing_support
