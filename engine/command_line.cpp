// Conversion and probe command lines for the encoder tool.
#include "engine/command_line.h"

#include <sstream>

#include "engine/encoder_tool.h"
#include "platform/path.h"
#include "settings/settings_file.h"

namespace engine {

namespace {

void AppendWords(std::vector<std::string>& args, const std::string& words) {
    std::istringstream in(words);
    std::string word;
    while (in >> word) args.push_back(word);
}

}  // namespace

std::string CommandLine::Text() const {
    std::string text;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i > 0)
            text += ' ';
        text += args[i];
    }
    return text;
}

std::string TitleOf(const std::string& source) {
    // No extension, or a name that is all extension (".avi"): the whole name is the title,
    // so the title is never empty for a non-empty name.
    return platform::path::Stem(source);
}

std::string OutputFileNameOf(const std::string& source) {
    return TitleOf(source) + ".flv";
}

std::string OutputPathOf(const std::string& source, const std::string& folder) {
    // The separator is added even after one that ends the folder, as the window always did.
    return folder + platform::path::Separator() + OutputFileNameOf(source);
}

CommandLine BuildFixedCommand(const std::string& source, const std::string& folder,
                              int profileIndex) {
    CommandLine command;
    command.args = {kEncoderPath, "-y", "-i", source, "-title", TitleOf(source)};
    AppendWords(command.args, FixedProfile(profileIndex).options);
    command.args.push_back(OutputPathOf(source, folder));
    return command;
}

CustomSelection ReadCustomSelection() {
    std::vector<std::pair<std::string, std::string>> keys;
    for (const CustomKey* choice : kCustomCommandOrder)
        keys.emplace_back(choice->key, choice->commandDefault);
    const std::vector<std::string> texts = settings::ReadTexts(keys);
    CustomSelection selection{};
    for (std::size_t i = 0; i < selection.size(); ++i) selection[i] = settings::TextToInt(texts[i]);
    return selection;
}

CommandLine BuildCustomCommand(std::string source, std::string outputPath,
                               const CustomSelection& selection) {
    CommandLine command;
    auto& args = command.args;
    args = {kEncoderPath, "-y", "-i", std::move(source)};
    for (std::size_t i = 0; i < selection.size(); ++i)
        AppendWords(args, kCustomCommandOrder[i]->For(selection[i]).option);
    args.push_back(std::move(outputPath));
    return command;
}

CommandLine BuildCustomCommand(std::string source, std::string outputPath) {
    return BuildCustomCommand(std::move(source), std::move(outputPath), ReadCustomSelection());
}

CommandLine BuildConvertCommand(const std::string& source, const std::string& folder,
                                int profileIndex, const CustomSelection* selection) {
    if (profileIndex != kCustomProfile)
        return BuildFixedCommand(source, folder, profileIndex);
    if (selection)
        return BuildCustomCommand(source, OutputPathOf(source, folder), *selection);
    return BuildCustomCommand(source, OutputPathOf(source, folder));
}

CommandLine BuildProbeCommand(const std::string& source) {
    CommandLine command;
    command.args = {kEncoderPath, "-i", source};
    return command;
}

}  // namespace engine
