// Vantrel: a batch video converter. No command-line arguments of its own.
#include <QApplication>

#include "ui/converter_app.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    CConverterApp theApp;
    theApp.InitInstance();
    return 0;
}
