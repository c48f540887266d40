#include "ui/overwrite_questions.h"

#include <QString>

#include "ui/path_text.h"
#include "ui/ui_services.h"

namespace ui {

OverwriteQuestions::OverwriteQuestions(UiServices& services, QWidget* owner, int count)
    : services_(services), owner_(owner), left_(count) {}

bool OverwriteQuestions::MayReplace(const std::string& target) {
    --left_;
    if (toAll_)
        return *toAll_;
    const OverwriteAnswer answer = services_.AskOverwrite(
        owner_,
        QStringLiteral("Are you want to overtwrite  ") + PathText(target) + QStringLiteral("!"),
        left_ > 0);
    if (answer == OverwriteAnswer::YesToAll)
        toAll_ = true;
    else if (answer == OverwriteAnswer::NoToAll || answer == OverwriteAnswer::Cancel)
        toAll_ = false;
    return answer == OverwriteAnswer::Yes || answer == OverwriteAnswer::YesToAll;
}

}  // namespace ui
