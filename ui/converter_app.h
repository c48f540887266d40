// CConverterApp: the application. It runs the main window modally and ends with it.
#pragma once

namespace ui {
class UiServices;
}

class CConverterApp {
public:
    // nullptr: Qt's own dialogs and the desktop shell.
    explicit CConverterApp(ui::UiServices* services = nullptr);

    // Shows the main window and returns when it has closed. Always false: there is no
    // message loop of the application's own after the dialog.
    bool InitInstance();

private:
    ui::UiServices* services_;
};
