// Template 102: every control of the main window at its place and size, and how each follows
// the window when it grows: the job list takes the extra width and height; the output folder
// field and the progress bar take the extra width and move down with the lower frame; Quit,
// Browse and Open move with the right edge. Everything else keeps its place: the top bar and
// the command row at the top left, the profile list with its Settings button at the bottom left.
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTreeWidget>
#include <iterator>

#include "controls/icon_button.h"
#include "engine/profiles.h"
#include "ui/accessible_names.h"
#include "ui/converter_dlg.h"
#include "ui/dialog_template.h"
#include "ui/job_columns.h"
#include "ui/job_list_ctrl.h"
#include "ui/path_field.h"
#include "ui/product.h"

namespace {

using ui::Anchor;

constexpr ui::Anchors kStretch = Anchor::Left | Anchor::Right | Anchor::Top | Anchor::Bottom;
constexpr ui::Anchors kWidenAtBottom = Anchor::Left | Anchor::Right | Anchor::Bottom;
constexpr ui::Anchors kBottomLeft = Anchor::Left | Anchor::Bottom;
constexpr ui::Anchors kBottomRight = Anchor::Right | Anchor::Bottom;
constexpr ui::Anchors kTopRight = Anchor::Right | Anchor::Top;
constexpr ui::Anchors kWidenAtTop = Anchor::Left | Anchor::Right | Anchor::Top;

constexpr ui::DluRect kCommandFrame{7, 11, 327, 37};
constexpr ui::DluRect kLowerFrame{7, 194, 327, 62};

CIconButton* NewButton(QWidget* parent, int id, const char* caption, const ui::DialogTemplate& dlg,
                       const ui::DluRect& rect, ui::Anchors anchors = ui::kStayTopLeft) {
    auto* button = new CIconButton(parent);
    button->setObjectName(QString::number(id));
    button->setText(QString::fromLatin1(caption));
    dlg.Place(button, rect, anchors);
    return button;
}

QLabel* NewLabel(QWidget* parent, const char* text, const ui::DialogTemplate& dlg,
                 const ui::DluRect& rect) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setTextFormat(Qt::PlainText);
    dlg.Place(label, rect, kBottomLeft);
    return label;
}

}  // namespace

void CConverterDlg::BuildFromTemplate() {
    const ui::DialogTemplate dlg(this, 8, 341, 259, ui::DialogFrame::Main);

    // Frames and labels first: they lie under the controls and take no focus.
    auto* commandFrame = new QGroupBox(this);
    dlg.PlaceGroupBox(commandFrame, kCommandFrame, kWidenAtTop);
    auto* lowerFrame = new QGroupBox(this);
    dlg.PlaceGroupBox(lowerFrame, kLowerFrame, kWidenAtBottom);
    QLabel* formatLabel = NewLabel(this, "Output Formats:", dlg, {22, 204, 61, 8});
    QLabel* folderLabel = NewLabel(this, "Output directory:", dlg, {14, 223, 69, 8});
    QLabel* progressLabel = NewLabel(this, "Progress:", dlg, {46, 241, 37, 8});
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("1009"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    dlg.Place(m_progress, {87, 241, 241, 11}, kWidenAtBottom);

    // The rest in the template's order; the tab order is set below.
    m_btnQuit = NewButton(this, 1, "&Quit", dlg, {282, 18, 49, 26}, kTopRight);
    m_btnQuit->SetDefault(true);

    // Numbers its rows by position and draws selected rows itself.
    m_listJobs = new CJobListCtrl(this);
    m_listJobs->setObjectName(QStringLiteral("1003"));
    m_listJobs->setRootIsDecorated(false);
    m_listJobs->setItemsExpandable(false);
    m_listJobs->setUniformRowHeights(true);
    m_listJobs->setSortingEnabled(false);
    m_listJobs->header()->setSectionsMovable(false);
    m_listJobs->header()->setStretchLastSection(false);
    dlg.Place(m_listJobs, {7, 52, 327, 141}, kStretch);

    m_btnAdd = NewButton(this, 1004, "&Add", dlg, {11, 18, 47, 26});
    m_btnRemove = NewButton(this, 1005, "&Remove", dlg, {59, 18, 57, 26});
    m_btnClear = NewButton(this, 1006, "&Clear", dlg, {117, 18, 51, 26});
    m_btnConvert = NewButton(this, 1007, "Conver&t", dlg, {170, 18, 63, 26});
    m_btnStop = NewButton(this, 1008, "&Stop", dlg, {234, 18, 47, 26});

    m_comboFormat = new QComboBox(this);
    m_comboFormat->setObjectName(QStringLiteral("1000"));
    for (const engine::Profile& profile : engine::kProfiles)
        m_comboFormat->addItem(QString::fromLatin1(profile.entry));
    // 183 units wide (the template had 179), and the Settings button beside it 3 units further
    // right, so that the longest entry fits the closed list as Fusion draws it.
    dlg.PlaceDropDown(m_comboFormat, {87, 202, 183, 121}, kBottomLeft);

    // Read-only rather than disabled: Tab reaches it and its path can be selected and copied.
    m_editOutPath = new ui::PathField(this);
    m_editOutPath->setObjectName(QStringLiteral("1001"));
    dlg.Place(m_editOutPath, {87, 222, 159, 13}, kWidenAtBottom);

    m_btnBrowse = NewButton(this, 1002, "&Browse", dlg, {251, 221, 57, 16}, kBottomRight);
    m_btnOpen = NewButton(this, 1010, "&Open", dlg, {310, 221, 22, 16}, kBottomRight);
    m_btnHelp = NewButton(this, 1011, "&Help", dlg, {225, 1, 22, 12});
    m_btnWebSite = NewButton(this, 1014, "&Web Site", dlg, {65, 1, 36, 12});
    // Alt+A is Add's; About answers Alt+U.
    m_btnAbout = NewButton(this, 1015, "Abo&ut", dlg, {247, 1, 25, 12});
    m_btnSettings = NewButton(this, 1023, "Settings", dlg, {272, 200, 57, 18}, kBottomLeft);
    m_btnSettingsTop = NewButton(this, 1024, "Settings", dlg, {8, 1, 56, 12});
    m_btnLink = NewButton(this, 1016, product::kWebSiteUrl, dlg, {103, 1, 121, 12});

    // Tab follows the reading order: the list, the command row, the lower frame line by line,
    // then the top bar from left to right.
    QWidget* const tabOrder[] = {
        m_listJobs,       m_btnAdd,      m_btnRemove,   m_btnClear,    m_btnConvert, m_btnStop,
        m_btnQuit,        m_comboFormat, m_btnSettings, m_editOutPath, m_btnBrowse,  m_btnOpen,
        m_btnSettingsTop, m_btnWebSite,  m_btnLink,     m_btnHelp,     m_btnAbout,
    };
    for (std::size_t i = 1; i < std::size(tabOrder); ++i) setTabOrder(tabOrder[i - 1], tabOrder[i]);

    // For screen readers: the lists, the field and the bar by their labels; the job list and
    // the two frames have no caption on screen. The buttons read their captions by themselves.
    ui::NameAfterLabel(*formatLabel, *m_comboFormat);
    ui::NameAfterLabel(*folderLabel, *m_editOutPath);
    ui::NameAfterLabel(*progressLabel, *m_progress);
    m_listJobs->setAccessibleName(QStringLiteral("Jobs"));
    commandFrame->setAccessibleName(QStringLiteral("Commands"));
    lowerFrame->setAccessibleName(QStringLiteral("Output"));
}
