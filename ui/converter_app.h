// CConverterApp: the application. It runs the main window modally and ends with it.
#pragma once

#include <QStringList>

namespace ui {
class SingleInstance;
class UiServices;
}  // namespace ui

class CConverterApp {
public:
    // nullptr: Qt's own dialogs and the desktop shell.
    explicit CConverterApp(ui::UiServices* services = nullptr);

    // Files to add once the window is up (the command line), and where files that later
    // vantrels hand over arrive (nullptr: nowhere).
    void SetIncoming(QStringList files, ui::SingleInstance* instance);

    // Shows the main window and returns when it has closed. Always false: there is no
    // message loop of the application's own after the dialog.
    bool InitInstance();

private:
    ui::UiServices* services_;
    QStringList files_;
    ui::SingleInstance* instance_ = nullptr;
};
