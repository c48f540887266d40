// The overwrite questions of one Add or Convert, asked in turn for each target that exists.
// While more follow, the box also offers "Yes to All" and "No to All"; those answers, and Esc
// (No to the rest), settle every question left without another box, so that a long series
// never traps the user.
#pragma once

#include <optional>
#include <string>

class QWidget;

namespace ui {

class UiServices;

class OverwriteQuestions {
public:
    // `count` is how many questions this series may ask.
    OverwriteQuestions(UiServices& services, QWidget* owner, int count);

    // Whether the file at `target` may be replaced: the user's answer, or the one given for
    // all.
    bool MayReplace(const std::string& target);

private:
    UiServices& services_;
    QWidget* owner_;
    int left_;                   // questions still to come, this one included
    std::optional<bool> toAll_;  // the answer for every question left
};

}  // namespace ui
