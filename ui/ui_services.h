// What the windows ask of the desktop: running a dialog modally, picking files and folders,
// asking and telling the user, opening things. Dialogs take an implementation in their
// constructor, so tests answer in place of the user and no test waits on a modal loop or
// opens another program's window.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

#include "ui/file_filter.h"

class QAccessibleEvent;
class QDialog;
class QWidget;

namespace platform {
class Shell;
}

namespace ui {

// None: a plain message without an icon, as the "Error" boxes of the encoder runs are.
enum class MessageIcon { None, Question, Exclamation, Information };

// The answers to the overwrite question. Esc gives Cancel, which ends the questions as No to
// the rest.
enum class OverwriteAnswer { Yes, YesToAll, No, NoToAll, Cancel };

class UiServices {
public:
    virtual ~UiServices() = default;

    // Runs `dialog` modally and returns its result (QDialog::Accepted or Rejected).
    virtual int RunModal(QDialog& dialog) = 0;

    // Existing files, several at once; the first filter is selected. Empty when cancelled.
    virtual QStringList PickFiles(QWidget* owner, const std::vector<FileFilter>& filters) = 0;

    // A folder of the file system, or nothing when cancelled. The picker opens at `start`.
    virtual std::optional<QString> PickFolder(QWidget* owner, const QString& prompt,
                                              const QString& start) = 0;

    // A question with Yes and No; true only for Yes.
    virtual bool AskYesNo(QWidget* owner, const QString& caption, const QString& text,
                          MessageIcon icon) = 0;

    // A message with an OK button.
    virtual void Tell(QWidget* owner, const QString& caption, const QString& text,
                      MessageIcon icon) = 0;

    // The overwrite question ("Warning", exclamation icon): Yes and No, and with `several`
    // (more targets to ask about after this one) also Yes to All and No to All.
    virtual OverwriteAnswer AskOverwrite(QWidget* owner, const QString& text, bool several) = 0;

    // A message about many files: `text` (which gives their count) and the files in a list
    // that scrolls when it is long, so that the OK button stays on the screen.
    virtual void TellList(QWidget* owner, const QString& caption, const QString& text,
                          const QStringList& items, MessageIcon icon);

    // Tells screen readers and other assistive tools of `event`, when one is listening.
    virtual void Announce(QAccessibleEvent& event);

    // Where folders and web addresses are opened.
    virtual platform::Shell& Shell() = 0;

    // A desktop notification through the session's notification service; nothing happens
    // when there is none (no session bus, say).
    virtual void Notify(const QString& summary, const QString& body);

    // The folder against which the encoder tool's relative path "DLL/ffmpeg" is resolved:
    // by default beside the running program, else where it is installed.
    virtual std::string ToolFolder();
};

// Qt's own dialogs and message boxes, and the desktop's opener.
UiServices& DefaultUiServices();

}  // namespace ui
