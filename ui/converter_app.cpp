#include "ui/converter_app.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

#include "res/artwork.h"
#include "settings/settings_file.h"
#include "ui/converter_dlg.h"
#include "ui/product.h"
#include "ui/session_end.h"
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
    QApplication::setWindowIcon(res::Icon(128));

    CConverterDlg dlg(nullptr, services_);
    ui::StopAtSessionEnd(dlg);
    if (instance_ != nullptr) {
        QObject::connect(instance_, &ui::SingleInstance::filesReceived, &dlg,
                         [&dlg](const QStringList& files) {
                             dlg.showNormal();
                             dlg.raise();
                             dlg.activateWindow();
                             dlg.OpenFiles(files);
                         });
    }
    // What the window runs without, said once as it opens.
    QStringList notes;
    if (const std::string problem = settings::FileProblem(); !problem.empty())
        notes << QString::fromStdString(problem);
    if (instance_ != nullptr && !instance_->Problem().isEmpty())
        notes << instance_->Problem();
    ui::UiServices& services = services_ ? *services_ : ui::DefaultUiServices();
    if (!notes.isEmpty())
        QTimer::singleShot(0, &dlg, [&dlg, &services, notes] {
            for (const QString& note : notes)
                services.Tell(&dlg, QStringLiteral("Warning"), note, ui::MessageIcon::Exclamation);
        });
    if (!files_.isEmpty())
        QTimer::singleShot(0, &dlg, [&dlg, files = files_] { dlg.OpenFiles(files); });
    services.RunModal(dlg);
    return false;
}
