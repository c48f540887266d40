// The real bytes of a name picked in Qt's file dialog. Qt decodes file names lossily: each
// byte that is not valid UTF-8 becomes U+FFFD, and the name it hands back no longer opens the
// file. The folder is listed by bytes and the one entry whose lossy decoding is the picked
// name gives the real name.
#pragma once

#include <QString>
#include <string>

namespace ui {

// `picked` as the engine's bytes: the name as it stands when it names a file, else the one
// entry of its folder that Qt would show as `picked`; when none or several do, the name as it
// stands.
std::string PickedPathBytes(const QString& picked);

}  // namespace ui
