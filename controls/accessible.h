// What screen readers learn about the control library's widgets, through Qt's accessibility
// interfaces: an icon button is a push button named by its caption, or a link with its address
// when it opens one; a label that CHyperLink has made a link is a link with its target.
#pragma once

#include <QString>

class CHyperLink;
class QLabel;

namespace controls {

// The caption as it is read: the "&" that marks a mnemonic removed, "&&" read as "&".
QString WithoutMnemonics(const QString& caption);

// Registers, once per process, the interfaces of the widgets above with Qt's accessibility.
// The widgets call it themselves when they are made.
void InstallAccessibleFactory();

// The label now stands for a link (or no longer, for nullptr): drops an accessibility
// interface made for it before, so that the next query makes the right one.
void SetLinkOfLabel(QLabel& label, CHyperLink* link);

}  // namespace controls
