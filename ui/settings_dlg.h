// CSettingsDlg: the "Settings" dialog that edits the eight choices of the "Custom Settings"
// profile. It loads them from the settings file when it opens and stores all eight on OK.
#pragma once

#include <QDialog>
#include <array>

#include "ui/custom_choices.h"

class QComboBox;
class QPushButton;

namespace ui {
class UiServices;
}

class CSettingsDlg : public QDialog {
    Q_OBJECT

public:
    // `services` shows the message when the choices cannot be stored; nullptr means Qt's own.
    explicit CSettingsDlg(QWidget* parent = nullptr, ui::UiServices* services = nullptr);

    // The list of a choice, by its control id (1014 to 1021); nullptr for another id.
    QComboBox* List(int id) const;

public slots:
    // Selects the default entry of every list; stores nothing.
    void OnDefault();
    // Stores the eight selections ("-1" for a list without one) and closes. When the file
    // cannot be written the user is told and the dialog stays open.
    void OnOK();

    void accept() override { OnOK(); }

private:
    void BuildFromTemplate();
    void OnInitDialog();

    ui::UiServices& services_;
    // In the order of CustomChoices().
    std::array<QComboBox*, ui::kCustomChoiceCount> m_lists{};
};
