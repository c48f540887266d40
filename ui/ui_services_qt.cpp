// The default UiServices: Qt's file dialog and message boxes, the desktop shell.
#include <QAccessible>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "engine/tool_location.h"
#include "platform/shell.h"
#include "ui/ui_services.h"
#include "ui/video_file_types.h"

namespace ui {
namespace {

QMessageBox::Icon ToQt(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

class QtUiServices final : public UiServices {
public:
    int RunModal(QDialog& dialog) override { return dialog.exec(); }

    QStringList PickFiles(QWidget* owner, const std::vector<FileFilter>& filters) override {
        QFileDialog dialog(owner);
        SetUpOpenFilesDialog(dialog, filters);
        if (dialog.exec() != QDialog::Accepted)
            return {};
        return dialog.selectedFiles();
    }

    std::optional<QString> PickFolder(QWidget* owner, const QString& prompt,
                                      const QString& start) override {
        const QString folder = QFileDialog::getExistingDirectory(owner, prompt, start);
        if (folder.isEmpty())
            return std::nullopt;
        return folder;
    }

    bool AskYesNo(QWidget* owner, const QString& caption, const QString& text,
                  MessageIcon icon) override {
        QMessageBox box(ToQt(icon), caption, text, QMessageBox::Yes | QMessageBox::No, owner);
        return box.exec() == QMessageBox::Yes;
    }

    void Tell(QWidget* owner, const QString& caption, const QString& text,
              MessageIcon icon) override {
        QMessageBox box(ToQt(icon), caption, text, QMessageBox::Ok, owner);
        box.exec();
    }

    OverwriteAnswer AskOverwrite(QWidget* owner, const QString& text, bool several) override {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"), text,
                        QMessageBox::NoButton, owner);
        box.addButton(QMessageBox::Yes);
        if (several)
            box.addButton(QMessageBox::YesToAll);
        box.addButton(QMessageBox::No);
        if (several)
            box.addButton(QMessageBox::NoToAll);
        // Esc has a button of its own, unseen, so that it can end the questions.
        QPushButton* cancel = box.addButton(QMessageBox::Cancel);
        cancel->hide();
        box.setEscapeButton(cancel);
        box.setDefaultButton(QMessageBox::No);
        switch (box.exec()) {
            case QMessageBox::Yes:
                return OverwriteAnswer::Yes;
            case QMessageBox::YesToAll:
                return OverwriteAnswer::YesToAll;
            case QMessageBox::No:
                return OverwriteAnswer::No;
            case QMessageBox::NoToAll:
                return OverwriteAnswer::NoToAll;
            default:
                return OverwriteAnswer::Cancel;
        }
    }

    platform::Shell& Shell() override { return platform::DesktopShell(); }
};

// Up to this many files are named in a plain message box.
constexpr int kPlainListMost = 12;

}  // namespace

void UiServices::TellList(QWidget* owner, const QString& caption, const QString& text,
                          const QStringList& items, MessageIcon icon) {
    if (items.size() <= kPlainListMost) {
        Tell(owner, caption, text + QStringLiteral("\n\n") + items.join(QLatin1Char('\n')), icon);
        return;
    }
    QDialog box(owner);
    box.setWindowTitle(caption);
    auto* layout = new QVBoxLayout(&box);
    auto* label = new QLabel(text, &box);
    label->setWordWrap(true);
    layout->addWidget(label);
    auto* list = new QListWidget(&box);
    list->addItems(items);
    list->setAccessibleName(text);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    layout->addWidget(buttons);
    if (icon != MessageIcon::None)
        box.setWindowIcon(box.style()->standardIcon(QStyle::SP_MessageBoxWarning));
    RunModal(box);
}

void UiServices::Announce(QAccessibleEvent& event) {
    if (QAccessible::isActive())
        QAccessible::updateAccessibility(&event);
}

std::string UiServices::ToolFolder() {
    return engine::FindToolFolder();
}

UiServices& DefaultUiServices() {
    static QtUiServices services;
    return services;
}

}  // namespace ui
