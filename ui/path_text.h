// File names between the engine's bytes and Qt's strings without loss. A name need not be
// UTF-8: each byte that is not part of a valid UTF-8 sequence is carried in the string as the
// lone surrogate U+DC80 + (byte - 0x80) and turned back into that byte, so a name the window
// shows and hands to the engine is the very name of the file (QFile::decodeName would put
// U+FFFD in its place, and the file would not be found).
#pragma once

#include <QString>
#include <string>

namespace ui {

QString PathText(const std::string& bytes);
std::string PathBytes(const QString& text);

}  // namespace ui
