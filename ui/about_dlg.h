// CAboutDlg: the about box with the product title and version, the maker's web site as a
// link, and the notice line.
#pragma once

#include <QDialog>

#include "controls/hyperlink.h"

class QLabel;

namespace platform {
class Shell;
}

class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    // `shell` opens the link; nullptr means the desktop's opener.
    explicit CAboutDlg(QWidget* parent = nullptr, platform::Shell* shell = nullptr);

    CHyperLink m_link;

private:
    void BuildFromTemplate();
    void OnInitDialog(platform::Shell* shell);

    QLabel* m_title = nullptr;    // static 1013
    QLabel* m_address = nullptr;  // static 1043, becomes the link
};
