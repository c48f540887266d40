#include "ui/converter_app.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

#include "res/artwork.h"
#include "ui/converter_dlg.h"
#include "ui/product.h"
#include "ui/single_instance.h"
#include "ui/ui_services.h"

CConverterApp::CConverterApp(ui::UiServices* services) : services_(services) {}

void CConverterApp::SetIncoming(QStringList files, ui::SingleInstance* instance) {
    files_ = std::move(files);
    instance_ = instance;
}

bool CConverterApp::InitInstance() {
    QApplication::setApplicationName(QString::fromLatin1(product::kTitle));
    QApplication::setApplicationVersion(QString::fromLatin1(product::kVersion));
    QApplication::setWindowIcon(QIcon(res::IconPath(128)));

    CConverterDlg dlg(nullptr, services_);
    if (instance_ != nullptr) {
        QObject::connect(instance_, &ui::SingleInstance::filesReceived, &dlg,
                         [&dlg](const QStringList& files) {
                             dlg.showNormal();
                             dlg.raise();
                             dlg.activateWindow();
                             dlg.OpenFiles(files);
                         });
    }
    if (!files_.isEmpty())
        QTimer::singleShot(0, &dlg, [&dlg, files = files_] { dlg.OpenFiles(files); });
    (services_ ? *services_ : ui::DefaultUiServices()).RunModal(dlg);
    return false;
}
