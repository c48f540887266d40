// CHyperLink: turns a label into a clickable link that opens its target.
#pragma once

#include <QObject>
#include <QString>

class QLabel;

namespace platform {
class Shell;
}

class CHyperLink : public QObject {
    Q_OBJECT

public:
    CHyperLink();
    ~CHyperLink() override;

    // The URL or path that is opened; also the tooltip. Set before attaching.
    QString m_strLink;

    // Attaches to a label of a dialog: link colours, underlined font, fitted size, hand cursor,
    // tooltip, opening on click or Space.
    void SubclassDlgItem(QLabel* label);

    // Where targets are opened; the desktop's opener unless replaced.
    void SetShell(platform::Shell* shell);

    // ... see hyperlink.cpp for the rest.
};
