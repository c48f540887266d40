// The enabled state of the main window's commands as one readable text, and the rows of the
// window's state table in the same form, so that a failing test shows the whole picture.
#pragma once

#include <QComboBox>
#include <QTreeWidget>
#include <string>

#include "controls/icon_button.h"
#include "ui/converter_dlg.h"

namespace testing_support {

inline std::string EnabledStates(const CConverterDlg& dlg) {
    auto on = [](const QWidget* widget) { return widget->isEnabled() ? '1' : '0'; };
    std::string text = "Add ";
    text += on(dlg.m_btnAdd);
    text += " Remove,Clear,Convert ";
    text += {on(dlg.m_btnRemove), on(dlg.m_btnClear), on(dlg.m_btnConvert)};
    text += " Stop ";
    text += on(dlg.m_btnStop);
    text += " Quit ";
    text += on(dlg.m_btnQuit);
    text += " Settings,Settings,Browse,Profiles ";
    text += {on(dlg.m_btnSettings), on(dlg.m_btnSettingsTop), on(dlg.m_btnBrowse),
             on(dlg.m_comboFormat)};
    text += " Open,About,WebSite,Help,Link ";
    text += {on(dlg.m_btnOpen), on(dlg.m_btnAbout), on(dlg.m_btnWebSite), on(dlg.m_btnHelp),
             on(dlg.m_btnLink)};
    return text;
}

namespace states {

// After start-up, and after the list was emptied by Remove or Clear.
inline const std::string kIdle =
    "Add 1 Remove,Clear,Convert 000 Stop 0 Quit 1 Settings,Settings,Browse,Profiles 1111 "
    "Open,About,WebSite,Help,Link 11111";
// After files were added, and after a conversion ended (by itself or by Stop).
inline const std::string kListed =
    "Add 1 Remove,Clear,Convert 111 Stop 0 Quit 1 Settings,Settings,Browse,Profiles 1111 "
    "Open,About,WebSite,Help,Link 11111";
inline const std::string kConverting =
    "Add 0 Remove,Clear,Convert 000 Stop 1 Quit 0 Settings,Settings,Browse,Profiles 0000 "
    "Open,About,WebSite,Help,Link 11111";
// Stop confirmed, the worker still finishing.
inline const std::string kStopping =
    "Add 0 Remove,Clear,Convert 000 Stop 1 Quit 0 Settings,Settings,Browse,Profiles 1111 "
    "Open,About,WebSite,Help,Link 11111";

}  // namespace states

// The texts of one column, top row first.
inline QStringList ColumnTexts(const CConverterDlg& dlg, int column) {
    QStringList texts;
    for (int row = 0; row < dlg.m_listJobs->topLevelItemCount(); ++row)
        texts << dlg.m_listJobs->topLevelItem(row)->text(column);
    return texts;
}

}  // namespace testing_support
