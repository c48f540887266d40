#include "ui/converter_dlg.h"

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QTreeWidget>
#include <QtGlobal>

#include "controls/icon_button.h"
#include "engine/command_line.h"
#include "engine/worker_host.h"
#include "platform/shell.h"
#include "res/artwork.h"
#include "settings/settings_file.h"
#include "ui/about_dlg.h"
#include "ui/gui_caller.h"
#include "ui/job_columns.h"
#include "ui/main_buttons.h"
#include "ui/product.h"
#include "ui/settings_dlg.h"
#include "ui/ui_services.h"

CConverterDlg::CConverterDlg(QWidget* parent, ui::UiServices* services)
    : QDialog(parent),
      m_hIcon(res::IconPath(128)),
      services_(services ? *services : ui::DefaultUiServices()),
      m_caller(std::make_unique<ui::GuiCaller>(this)) {
    BuildFromTemplate();

    connect(m_btnAdd, &QPushButton::clicked, this, &CConverterDlg::OnAdd);
    connect(m_btnRemove, &QPushButton::clicked, this, &CConverterDlg::OnRemove);
    connect(m_btnClear, &QPushButton::clicked, this, &CConverterDlg::OnClear);
    connect(m_btnOpen, &QPushButton::clicked, this, &CConverterDlg::OnOpenFolder);
    connect(m_btnBrowse, &QPushButton::clicked, this, &CConverterDlg::OnBrowse);
    // Only a choice of the user counts as a change, not the selection set at start-up.
    connect(m_comboFormat, &QComboBox::activated, this, &CConverterDlg::OnSelchangeFormat);
    connect(m_btnConvert, &QPushButton::clicked, this, &CConverterDlg::OnConvert);
    connect(m_btnStop, &QPushButton::clicked, this, &CConverterDlg::OnStop);
    connect(m_btnAbout, &QPushButton::clicked, this, &CConverterDlg::OnAbout);
    connect(m_btnSettings, &QPushButton::clicked, this, &CConverterDlg::OnSettings);
    connect(m_btnSettingsTop, &QPushButton::clicked, this, &CConverterDlg::OnSettings);
    connect(m_btnQuit, &QPushButton::clicked, this, &CConverterDlg::OnOK);

    OnInitDialog();
}

// Without a window left to serve it, the worker's calls do nothing; Stop makes it end its tool
// and delete the partial output.
CConverterDlg::~CConverterDlg() {
    if (m_worker.joinable()) {
        m_bStop = true;
        m_caller->Close();
        m_worker.join();
    }
}

void CConverterDlg::OnInitDialog() {
    // The about item; the window manager's own system menu cannot be extended.
    m_systemMenu = new QMenu(this);
    QAction* about = m_systemMenu->addAction(QString::fromLatin1(product::kAboutMenuText));
    connect(about, &QAction::triggered, this, [this] { OnSysCommand(IDM_ABOUTBOX); });

    setWindowIcon(m_hIcon);
    setWindowTitle(QString::fromLatin1(product::kTitle) + QStringLiteral(" version ") +
                   QString::fromLatin1(product::kVersion));
    m_bStop = false;

    const std::string outPath = settings::ReadText(settings::kOutPath, settings::DefaultOutPath());
    m_editOutPath->setText(QString::fromStdString(outPath));
    m_editOutPath->setText(QString::fromStdString(settings::EnsureOutputFolder(outPath)));

    // An index outside the list leaves it without a selection.
    const int format = settings::ReadInt(settings::kFormat, 0);
    m_comboFormat->setCurrentIndex(format >= 0 && format < engine::kProfileCount ? format : -1);

    SetUpButtons();

    m_btnConvert->setEnabled(false);
    m_btnClear->setEnabled(false);
    m_btnRemove->setEnabled(false);
    m_btnStop->setEnabled(false);

    m_listJobs->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_listJobs->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listJobs->setAllColumnsShowFocus(true);
    QStringList headings;
    for (const ui::JobColumnSpec& column : ui::kJobColumns) {
        headings << QString::fromLatin1(column.heading);
    }
    m_listJobs->setHeaderLabels(headings);
    for (int c = 0; c < static_cast<int>(ui::kJobColumns.size()); ++c) {
        m_listJobs->setColumnWidth(c, ui::kJobColumns[c].width);
        m_listJobs->headerItem()->setTextAlignment(c, Qt::AlignLeft | Qt::AlignVCenter);
    }

    m_btnQuit->setFocus();
}

void CConverterDlg::SetUpButtons() {
    for (const ui::MainButtonLook& look : ui::MainButtonLooks()) {
        if (const int result = ui::ApplyLook(*Button(look.id), look); result != 0) {
            qWarning("Vantrel: button %d keeps its plain look (set-up result %d)", look.id, result);
        }
    }
    for (CIconButton* button : {m_btnWebSite, m_btnHelp, m_btnLink}) {
        button->SetLinkUrl(product::kWebSiteUrl);
    }
    for (CIconButton* button : findChildren<CIconButton*>()) button->SetShell(&services_.Shell());
}

CIconButton* CConverterDlg::Button(int id) const {
    return findChild<CIconButton*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

void CConverterDlg::contextMenuEvent(QContextMenuEvent* event) {
    m_systemMenu->popup(event->globalPos());
    event->accept();
}

void CConverterDlg::OnSysCommand(int nID) {
    // Other system commands (move, minimise, close) are the window manager's.
    if ((nID & 0xFFF0) == IDM_ABOUTBOX)
        OnAbout();
}

void CConverterDlg::OnAbout() {
    CAboutDlg about(this, &services_.Shell());
    services_.RunModal(about);
}

void CConverterDlg::OnSettings() {
    CSettingsDlg settingsDlg(this, &services_);
    services_.RunModal(settingsDlg);
}

void CConverterDlg::OnBrowse() {
    const std::optional<QString> folder =
        services_.PickFolder(this, QStringLiteral("Select output file path"));
    if (!folder || folder->isEmpty())
        return;
    m_editOutPath->setText(*folder);
    WriteSetting(settings::kOutPath, QFile::encodeName(*folder).toStdString(), "output folder");
}

void CConverterDlg::OnOpenFolder() {
    services_.Shell().Open(QFile::encodeName(m_editOutPath->text()).toStdString());
}

void CConverterDlg::OnSelchangeFormat() {
    WriteSetting(settings::kFormat, std::to_string(m_comboFormat->currentIndex()), "output format");
}

// The settings file is written at once; a failure is told, not swallowed.
bool CConverterDlg::WriteSetting(const char* key, const std::string& value, const char* what) {
    std::string error;
    if (settings::WriteText(key, value, &error))
        return true;
    services_.Tell(this, QStringLiteral("Error"),
                   QStringLiteral("The %1 could not be saved.\n\n").arg(QLatin1String(what)) +
                       QString::fromStdString(error),
                   ui::MessageIcon::Exclamation);
    return false;
}
