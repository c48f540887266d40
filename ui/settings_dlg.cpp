#include "ui/settings_dlg.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <iterator>
#include <string>

#include "settings/settings_file.h"
#include "ui/accessible_names.h"
#include "ui/dialog_template.h"
#include "ui/ui_services.h"

namespace {

struct LabelSpec {
    const char* text;
    ui::DluRect rect;
};

struct ListLabel {
    const char* text;
    ui::DluRect rect;
    int listId;         // the list it stands beside
    const char* group;  // the frame it lies in
};

// Template 153's labels and frames.
constexpr ListLabel kLabels[] = {
    {"Resolution:", {16, 25, 45, 8}, 1014, "Video"},
    {"Frame Rate:", {155, 27, 45, 8}, 1015, "Video"},
    {"Encoder:", {28, 52, 33, 8}, 1016, "Video"},
    {"Bit Rate:", {163, 51, 37, 8}, 1017, "Video"},
    {"Sample Rate:", {12, 104, 49, 8}, 1018, "Audio"},
    {"Channel:", {167, 104, 33, 8}, 1020, "Audio"},
    {"Encoder:", {28, 127, 33, 8}, 1019, "Audio"},
    {"Bit Rate:", {163, 127, 37, 8}, 1021, "Audio"},
};
constexpr LabelSpec kGroups[] = {{"Video", {7, 7, 291, 71}}, {"Audio", {7, 84, 291, 68}}};

// "Encoder:" and "Bit Rate:" stand in both frames; the frame's name tells the two apart
// ("Video encoder", "Audio encoder"). The frames are not the lists' parents, so a screen
// reader would not say it otherwise.
QString ListName(const ListLabel& label) {
    return QString::fromLatin1(label.group) + QLatin1Char(' ') +
           ui::NameFromLabel(QString::fromLatin1(label.text)).toLower();
}

}  // namespace

CSettingsDlg::CSettingsDlg(QWidget* parent, ui::UiServices* services)
    : QDialog(parent), services_(services ? *services : ui::DefaultUiServices()) {
    BuildFromTemplate();
    OnInitDialog();
}

void CSettingsDlg::BuildFromTemplate() {
    const ui::DialogTemplate dlg(this, 9, 305, 189, ui::DialogFrame::Modal);
    setWindowTitle(QStringLiteral("Settings"));

    // Frames first, so that everything else lies above them.
    for (const LabelSpec& group : kGroups) {
        auto* box = new QGroupBox(QString::fromLatin1(group.text), this);
        dlg.PlaceGroupBox(box, group.rect);
    }

    // Created in tab order: OK, Cancel, the lists by id, Default.
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    dlg.Place(ok, {114, 162, 50, 18});
    connect(ok, &QPushButton::clicked, this, &CSettingsDlg::OnOK);

    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("2"));
    dlg.Place(cancel, {240, 162, 50, 18});
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    std::array<QLabel*, std::size(kLabels)> labels{};
    for (std::size_t i = 0; i < labels.size(); ++i) {
        labels[i] = new QLabel(QString::fromLatin1(kLabels[i].text), this);
        labels[i]->setTextFormat(Qt::PlainText);
        dlg.Place(labels[i], kLabels[i].rect);
    }

    const auto& choices = ui::CustomChoices();
    std::array<std::size_t, ui::kCustomChoiceCount> byId{};
    for (std::size_t i = 0; i < byId.size(); ++i) byId[i] = i;
    std::sort(byId.begin(), byId.end(),
              [&](std::size_t a, std::size_t b) { return choices[a].id < choices[b].id; });
    for (const std::size_t i : byId) {
        auto* list = new QComboBox(this);
        list->setObjectName(QString::number(choices[i].id));
        for (const engine::Choice& entry : choices[i].choice)
            list->addItem(QString::fromLatin1(entry.label));
        dlg.PlaceDropDown(list, choices[i].rect);
        m_lists[i] = list;
    }

    auto* defaults = new QPushButton(QStringLiteral("&Default"), this);
    defaults->setObjectName(QStringLiteral("1022"));
    dlg.Place(defaults, {177, 162, 50, 18});
    connect(defaults, &QPushButton::clicked, this, &CSettingsDlg::OnDefault);

    for (std::size_t i = 0; i < labels.size(); ++i) {
        ui::NameAfterLabel(*labels[i], *List(kLabels[i].listId), ListName(kLabels[i]));
    }
}

// An absent key reads as what the encoder's command uses then.
void CSettingsDlg::OnInitDialog() {
    const auto& choices = ui::CustomChoices();
    for (std::size_t i = 0; i < choices.size(); ++i) {
        const engine::CustomKey& key = choices[i].choice;
        const int index = settings::TextToInt(settings::ReadText(key.key, key.commandDefault));
        m_lists[i]->setCurrentIndex(ui::ShownChoice(key, index));
    }
}

QComboBox* CSettingsDlg::List(int id) const {
    const auto& choices = ui::CustomChoices();
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (choices[i].id == id)
            return m_lists[i];
    }
    return nullptr;
}

void CSettingsDlg::OnDefault() {
    const auto& choices = ui::CustomChoices();
    for (std::size_t i = 0; i < choices.size(); ++i) {
        m_lists[i]->setCurrentIndex(choices[i].defaultIndex);
    }
}

void CSettingsDlg::OnOK() {
    const auto& choices = ui::CustomChoices();
    for (std::size_t i = 0; i < choices.size(); ++i) {
        std::string error;
        const std::string value = std::to_string(m_lists[i]->currentIndex());
        if (!settings::WriteText(choices[i].choice.key, value, &error)) {
            services_.Tell(this, QStringLiteral("Error"),
                           QStringLiteral("The custom settings could not be saved.\n\n") +
                               QString::fromStdString(error),
                           ui::MessageIcon::Exclamation);
            return;
        }
    }
    QDialog::accept();
}
