#include "ui/converter_dlg.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QHeaderView>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QShortcut>
#include <QShowEvent>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QtGlobal>
#include <algorithm>

#include "controls/icon_button.h"
#include "engine/batch.h"
#include "engine/command_line.h"
#include "engine/duration_probe.h"
#include "platform/shell.h"
#include "platform/stop_signals.h"
#include "platform/system_info.h"
#include "res/artwork.h"
#include "settings/settings_file.h"
#include "ui/about_dlg.h"
#include "ui/dialog_events.h"
#include "ui/job_columns.h"
#include "ui/main_buttons.h"
#include "ui/open_failure.h"
#include "ui/path_text.h"
#include "ui/product.h"
#include "ui/settings_dlg.h"
#include "ui/ui_services.h"

CConverterDlg::CConverterDlg(QWidget* parent, ui::UiServices* services)
    : QDialog(parent),
      m_hIcon(res::Icon(128)),
      services_(services ? *services : ui::DefaultUiServices()),
      m_probeLimit(engine::kDefaultProbeLimit),
      m_silenceLimit(engine::kDefaultSilenceLimit) {
    BuildFromTemplate();
    setAcceptDrops(true);

    // Every change of the job list is saved once the handler that made it has returned, so
    // that a change of a thousand rows is one write.
    m_saveTimer = new QTimer(this);
    m_saveTimer->setSingleShot(true);
    connect(m_saveTimer, &QTimer::timeout, this, &CConverterDlg::SaveQueueNow);
    // While a batch runs, the changes of a quarter of a second are one write: jobs that end in
    // quick succession do not each rewrite the list.
    m_jobs.onChange = [this] {
        if (!m_saveTimer->isActive())
            m_saveTimer->start(m_batch ? 250 : 0);
    };

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

// Stop makes the engine end its tools and delete their partial outputs; the events still on
// their way are dropped with the window.
CConverterDlg::~CConverterDlg() {
    m_bStop = true;
    m_probeStop = true;
    if (m_worker.joinable())
        m_worker.join();
    if (m_probeThread.joinable())
        m_probeThread.join();
    if (m_saveTimer->isActive())
        SaveQueueNow();
}

void CConverterDlg::OnInitDialog() {
    // The about item; the window manager's own system menu cannot be extended.
    m_systemMenu = new QMenu(this);
    BuildJobsMenu();
    QAction* about = m_systemMenu->addAction(QString::fromLatin1(product::kAboutMenuText));
    connect(about, &QAction::triggered, this, [this] { OnSysCommand(IDM_ABOUTBOX); });
    WatchStopSignals();

    setWindowIcon(m_hIcon);
    setWindowTitle(QString::fromLatin1(product::kTitle) + QStringLiteral(" version ") +
                   QString::fromLatin1(product::kVersion));
    m_bStop = false;

    const std::string outPath = settings::ReadText(settings::kOutPath, settings::DefaultOutPath());
    m_editOutPath->setText(ui::PathText(outPath));
    m_editOutPath->setText(ui::PathText(settings::EnsureOutputFolder(outPath)));

    // An index outside the list leaves it without a selection.
    const int format = settings::ReadInt(settings::kFormat, 0);
    m_comboFormat->setCurrentIndex(format >= 0 && format < m_comboFormat->count() ? format : -1);

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
    // Every column starts at its own width under every style: some styles' least width of a
    // column (Windows' own, with its fonts) is wider than the number column.
    int narrowest = m_listJobs->header()->minimumSectionSize();
    for (const ui::JobColumnSpec& column : ui::kJobColumns) {
        if (column.width > 0)
            narrowest = std::min(narrowest, column.width);
    }
    m_listJobs->header()->setMinimumSectionSize(narrowest);
    for (int c = 0; c < static_cast<int>(ui::kJobColumns.size()); ++c) {
        m_listJobs->setColumnWidth(c, ui::kJobColumns[c].width);
        m_listJobs->headerItem()->setTextAlignment(c, Qt::AlignLeft | Qt::AlignVCenter);
    }
    // Name takes whatever width the window gives the list; Status is wide enough for its
    // longest word in the list's font.
    m_listJobs->header()->setSectionResizeMode(ui::kColumnName, QHeaderView::Stretch);
    m_listJobs->setColumnWidth(ui::kColumnStatus, StatusColumnWidth());

    // Delete in the list removes the selected rows, as Remove does, when Remove can be used.
    auto* deleteKey = new QShortcut(QKeySequence(Qt::Key_Delete), m_listJobs);
    deleteKey->setContext(Qt::WidgetShortcut);
    connect(deleteKey, &QShortcut::activated, this, [this] {
        if (m_btnRemove->isEnabled())
            OnRemove();
    });

    connect(m_listJobs, &QTreeWidget::itemSelectionChanged, this, &CConverterDlg::ShowDetails);
    m_listJobs->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_listJobs, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { ShowListMenu(m_listJobs->viewport()->mapToGlobal(at)); });

    RestoreQueue();

    // The first command a user needs; its focus frame shows from the start (showEvent).
    m_btnAdd->setFocus();
}

// Qt draws focus frames only once the keyboard has moved the focus in a window, and a window
// being shown starts without. Here a keyboard user sees from the start where the focus is.
void CConverterDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    setAttribute(Qt::WA_KeyboardFocusChange);
}

// The list's own commands, on the selected rows.
void CConverterDlg::ShowListMenu(const QPoint& globalPos) {
    QMenu menu(this);
    const bool idle = !m_batch && !m_adding;
    const std::vector<int> selected = SelectedRows();
    QAction* again =
        menu.addAction(QStringLiteral("Convert again"), this, &CConverterDlg::OnConvertAgain);
    again->setEnabled(idle && !selected.empty());
    QAction* log = menu.addAction(QStringLiteral("Show log"), this, &CConverterDlg::OnShowLog);
    log->setEnabled(selected.size() == 1);
    menu.addSeparator();
    QAction* verify = menu.addAction(QStringLiteral("Verify results"));
    verify->setCheckable(true);
    verify->setChecked(settings::ReadInt(settings::kVerify, 1) != 0);
    verify->setEnabled(idle);
    connect(verify, &QAction::toggled, this, [this](bool on) {
        WriteSetting(settings::kVerify, on ? "1" : "0", "verification choice");
    });
    menu.exec(globalPos);
}

// "Simultaneous conversions": 1 up to the number of cores, stored as "Jobs".
void CConverterDlg::BuildJobsMenu() {
    m_jobsMenu = m_systemMenu->addMenu(QStringLiteral("Simultaneous conversions"));
    auto* group = new QActionGroup(m_jobsMenu);
    const int chosen = SimultaneousConversions();
    for (int count = 1; count <= platform::OnlineCores(); ++count) {
        QAction* action = m_jobsMenu->addAction(QString::number(count));
        action->setCheckable(true);
        action->setChecked(count == chosen);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, count] { OnJobsChosen(count); });
    }
}

int CConverterDlg::SimultaneousConversions() const {
    return std::clamp(settings::ReadInt(settings::kJobs, 1), 1, platform::OnlineCores());
}

void CConverterDlg::OnJobsChosen(int count) {
    WriteSetting(settings::kJobs, std::to_string(count), "number of simultaneous conversions");
}

// Logout, shutdown or Ctrl-C in the terminal end a batch as the close box would.
// The watch calls from its own thread; the request is handled on the window's.
void CConverterDlg::WatchStopSignals() {
    m_stopWatch = std::make_unique<platform::StopSignalWatch>([this] {
        QMetaObject::invokeMethod(
            this, [this] { OnStopSignal(); }, Qt::QueuedConnection);
    });
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

int CConverterDlg::StatusColumnWidth() const {
    // The list's cells keep a margin on each side (the selected row's own drawing indents its
    // texts by 6 pixels).
    const int margin =
        std::max(6, style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_listJobs) + 1);
    const int converting =
        m_listJobs->fontMetrics().horizontalAdvance(QStringLiteral("Converting")) + 2 * margin;
    return std::max(ui::kJobColumns[ui::kColumnStatus].width, converting);
}

CIconButton* CConverterDlg::Button(int id) const {
    return findChild<CIconButton*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

void CConverterDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CConverterDlg::dropEvent(QDropEvent* event) {
    QStringList paths;
    // The name's bytes as the URL carries them, also when they are not UTF-8.
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths << ui::PathText(
                QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1())
                    .toStdString());
    event->acceptProposedAction();
    // Added after the drop has been answered, so the dragging program is not kept waiting.
    QMetaObject::invokeMethod(
        this, [this, paths] { OpenFiles(paths); }, Qt::QueuedConnection);
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
    const std::optional<QString> folder = services_.PickFolder(
        this, QStringLiteral("Select output file path"), m_editOutPath->text());
    if (!folder || folder->isEmpty())
        return;
    m_editOutPath->setText(*folder);
    WriteSetting(settings::kOutPath, ui::PathBytes(*folder), "output folder");
}

void CConverterDlg::OnOpenFolder() {
    const QString folder = m_editOutPath->text();
    const int result = services_.Shell().Open(ui::PathBytes(folder));
    if (result > 32)
        return;
    services_.Tell(this, QStringLiteral("Error"),
                   QStringLiteral("The output folder could not be opened:\n\n%1\n\n%2")
                       .arg(folder, ui::OpenFailureText(result)),
                   ui::MessageIcon::Exclamation);
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
