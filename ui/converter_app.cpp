#include "ui/converter_app.h"

#include <QApplication>
#include <QIcon>

#include "res/artwork.h"
#include "ui/converter_dlg.h"
#include "ui/product.h"
#include "ui/ui_services.h"

CConverterApp::CConverterApp(ui::UiServices* services) : services_(services) {}

bool CConverterApp::InitInstance() {
    QApplication::setApplicationName(QString::fromLatin1(product::kTitle));
    QApplication::setApplicationVersion(QString::fromLatin1(product::kVersion));
    QApplication::setWindowIcon(QIcon(res::IconPath(128)));

    CConverterDlg dlg(nullptr, services_);
    (services_ ? *services_ : ui::DefaultUiServices()).RunModal(dlg);
    return false;
}
