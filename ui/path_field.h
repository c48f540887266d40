// PathField: a one-line field that shows a path the user reads and copies but does not type:
// read-only, reached by Tab, its text selectable. A path longer than the field is shown with
// its middle left out while the field does not have the focus; with the focus it is the
// whole text, to scroll through and select. The tooltip, the accessible value and text()
// are always the whole path.
#pragma once

#include <QLineEdit>

namespace ui {

class PathField : public QLineEdit {
    Q_OBJECT

public:
    explicit PathField(QWidget* parent = nullptr);

    // What the field shows without the focus: the text, elided in the middle to fit.
    QString ShownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect TextArea() const;
};

}  // namespace ui
