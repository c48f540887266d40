// The encoder tool's command lines: conversion (fixed and custom profiles) and probe, with the
// output path and title derived from the source path.
#pragma once

#include <array>
#include <iterator>
#include <string>
#include <vector>

#include "engine/profiles.h"

namespace engine {

// A command as a list of arguments, so that a path with blanks stays one argument.
// args[0] is the tool, kEncoderPath.
struct CommandLine {
    std::vector<std::string> args;

    // The arguments joined by single blanks.
    std::string Text() const;
};

// The file name of `source` without its extension: the characters after the last "/" and
// before the last "." of the name. A name without "." keeps all of it, and so does a name
// whose only "." is its first character (".avi"), so the title is never empty.
std::string TitleOf(const std::string& source);

// The title with ".flv" appended.
std::string OutputFileNameOf(const std::string& source);

// `folder`, "/", the output file name. The separator is always added.
std::string OutputPathOf(const std::string& source, const std::string& folder);

// The conversion command of a fixed profile (FixedProfile(profileIndex): any index that is no
// fixed profile converts with kFallbackProfile).
CommandLine BuildFixedCommand(const std::string& source, const std::string& folder,
                              int profileIndex);

// The stored custom choices, in the order of kCustomCommandOrder.
using CustomSelection = std::array<int, std::size(kCustomCommandOrder)>;

// Reads the custom choices from one reading of the settings file (a batch reads them once for
// all its jobs).
CustomSelection ReadCustomSelection();

// The conversion command of the custom profile with `selection`'s choices.
CommandLine BuildCustomCommand(std::string source, std::string outputPath,
                               const CustomSelection& selection);
// The same with the choices read from the settings file now.
CommandLine BuildCustomCommand(std::string source, std::string outputPath);

// The conversion command for `profileIndex` (0 custom, else fixed); the custom profile uses
// `selection`, or reads the settings file when there is none.
CommandLine BuildConvertCommand(const std::string& source, const std::string& folder,
                                int profileIndex, const CustomSelection* selection = nullptr);

// The probe command: the tool, "-i", the source.
CommandLine BuildProbeCommand(const std::string& source);

}  // namespace engine
