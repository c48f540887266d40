// Vantrel: a batch video converter.
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

#include "platform/fs.h"
#include "ui/app_arguments.h"
#include "ui/converter_app.h"
#include "ui/path_text.h"
#include "ui/product.h"
#include "ui/single_instance.h"

int main(int argc, char* argv[]) {
    // --help and --version answer before QApplication, which needs a display.
    const ui::AppArguments early = ui::ParseAppArguments({argv + 1, argv + argc});
    if (early.action == ui::AppAction::Help || early.action == ui::AppAction::Version) {
        const std::string text =
            early.action == ui::AppAction::Help ? ui::AppUsageText() : ui::AppVersionText();
        std::fputs(text.c_str(), stdout);
        return 0;
    }
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QString::fromLatin1(product::kAppId));
    // Qt has taken its own options (-style, -platform, ...) out of argv; the rest are ours.
    const ui::AppArguments arguments = ui::ParseAppArguments({argv + 1, argv + argc});
    if (arguments.action == ui::AppAction::UsageError) {
        std::fprintf(stderr, "vantrel: %s\n%s", arguments.error.c_str(),
                     ui::AppUsageText().c_str());
        return 2;
    }
    // The files as absolute paths, for a window that may run in another folder.
    QStringList files;
    for (const std::string& file : arguments.files)
        files << ui::PathText(platform::AbsolutePath(file));
    ui::SingleInstance instance;
    if (instance.Claim(files) == ui::SingleInstance::Role::HandedOver)
        return 0;

    CConverterApp theApp;
    theApp.SetIncoming(files, &instance);
    theApp.InitInstance();
    return 0;
}
