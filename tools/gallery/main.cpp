// vantrel-gallery: each control of the library in each of its states, side by side.
//   vantrel-gallery                 show the window
//   vantrel-gallery --save FILE     render the window into FILE (PNG) and quit
#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStringList>

#include <cstdio>

#include "controls/hyperlink.h"
#include "controls/icon_button.h"
#include "platform/shell.h"

namespace {

// Prints what would be opened; the gallery never starts another program.
class PrintingShell final : public platform::Shell {
public:
    int Open(const std::string& target) override {
        std::printf("open: %s\n", target.c_str());
        std::fflush(stdout);
        return platform::kShellOk;
    }
};

enum class State { Normal, Hover, Pressed, Focused, Disabled };

// A button painted in a fixed state, whatever the pointer and the focus do.
class StateButton final : public CIconButton {
public:
    StateButton(State state, QWidget* parent) : CIconButton(parent), m_state(state) {
        setEnabled(state != State::Disabled);
    }

protected:
    void DrawItem(QPainter& painter, const QRect& item) override {
        m_bMouseOver = m_state == State::Hover;
        m_bPressed = m_state == State::Pressed;
        m_bFocused = m_state == State::Focused;
        m_bDisabled = m_state == State::Disabled;
        DrawBackground(painter, item);
        DrawBorder(painter, item);
        const bool hasCaption = !text().isEmpty();
        QRect caption = item;
        if (!Icon(0).isNull())
            DrawIconImage(painter, hasCaption, item, caption, m_bPressed, m_bDisabled);
        if (!Bitmap(0).isNull())
            DrawBitmapImage(painter, hasCaption, item, caption, m_bPressed, m_bDisabled);
        if (hasCaption)
            DrawCaptionText(painter, text(), item, caption, m_bPressed, m_bDisabled);
    }

private:
    State m_state;
};

QPixmap Disc(int size, QColor color) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(color);
    painter.setPen(color.darker(150));
    painter.drawEllipse(1, 1, size - 2, size - 2);
    return pixmap;
}

// A 22-pixel bitmap whose frame is `key`, the colour that is made see-through.
QPixmap FramedBitmap(QColor key, QColor inner) {
    QPixmap pixmap(22, 22);
    pixmap.fill(key);
    QPainter painter(&pixmap);
    painter.fillRect(4, 4, 14, 14, inner);
    painter.fillRect(8, 8, 6, 6, Qt::white);
    return pixmap;
}

// The look the main window gives its tool-bar buttons.
void StyleLikeToolBar(CIconButton* button) {
    button->ShadeStateColor(CIconButton::ColorBackgroundIn, 30);
    button->SetToolTipText(QStringLiteral("A tooltip that is long enough to wrap: ") +
                           QString("the quick brown fox jumps over the lazy dog. ").repeated(4));
    button->SetStateColor(CIconButton::ColorForegroundIn, qRgb(0, 0, 255));
    button->SetStateColor(CIconButton::ColorForegroundOut, qRgb(0, 0, 0));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    PrintingShell shell;
    QWidget window;
    window.setWindowTitle("Vantrel controls");
    auto* grid = new QGridLayout(&window);

    const QStringList states = {"Normal", "Hover", "Pressed", "Focused", "Disabled"};
    for (int column = 0; column < states.size(); ++column)
        grid->addWidget(new QLabel("<b>" + states[column] + "</b>"), 0, column + 1,
                        Qt::AlignCenter);

    struct Row {
        const char* name;
        const char* caption;
        QSize size;
        int image;  // 0 none, 1 icon, 2 bitmap, 3 icon with a different normal image
    };
    const Row rows[] = {
        {"Icon and caption", "&Add", {94, 49}, 1},
        {"Hover and normal icons", "Conver&t", {110, 49}, 3},
        {"Bitmap and caption", "Settings", {100, 30}, 2},
        {"Icon only", "", {49, 49}, 1},
        {"Caption only", "&Browse", {90, 28}, 0},
        {"Long caption", "Select custom settings", {90, 44}, 0},
    };
    int row = 1;
    for (const Row& entry : rows) {
        grid->addWidget(new QLabel(entry.name), row, 0);
        for (int column = 0; column < states.size(); ++column) {
            auto* button = new StateButton(static_cast<State>(column), &window);
            button->setText(entry.caption);
            button->setFixedSize(entry.size);
            button->SetShell(&shell);
            if (entry.image == 1)
                button->SetIcons(Disc(36, QColor(40, 140, 60)));
            if (entry.image == 3)
                button->SetIcons(Disc(36, QColor(220, 120, 0)), Disc(36, QColor(90, 90, 200)));
            if (entry.image == 2)
                button->SetBitmaps(FramedBitmap(Qt::magenta, QColor(200, 40, 40)),
                                   qRgb(255, 0, 255), FramedBitmap(Qt::white, QColor(40, 40, 200)),
                                   qRgb(255, 255, 255));
            StyleLikeToolBar(button);
            grid->addWidget(button, row, column + 1, Qt::AlignCenter);
        }
        ++row;
    }

    // A live button: hover, press, tab to it, click it (prints the address it would open).
    grid->addWidget(new QLabel("Live"), row, 0);
    auto* live = new CIconButton(&window);
    live->setText("&Web Site");
    live->setFixedSize(94, 30);
    live->SetShell(&shell);
    live->SetLinkUrl("https://vantrel.example/");
    StyleLikeToolBar(live);
    grid->addWidget(live, row, 1, Qt::AlignCenter);
    ++row;

    // Links: fresh, hovered (with the hover colour option), active (focused), visited.
    grid->addWidget(new QLabel("Hyperlink"), row, 0);
    CHyperLink links[4];
    QLabel* labels[4];
    for (int i = 0; i < 4; ++i) {
        labels[i] = new QLabel("https://vantrel.example/", &window);
        links[i].SetShell(&shell);
        if (i == 1)
            links[i].m_dwOptions |= CHyperLink::OptionHoverColor;
        links[i].SubclassDlgItem(labels[i]);
        grid->addWidget(labels[i], row, i + 1, Qt::AlignCenter);
    }
    window.show();
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), labels[1]->mapToGlobal(QPointF(2, 2)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(labels[1], &move);
    links[3].OpenLink();
    labels[2]->setFocus();

    const QStringList arguments = QApplication::arguments();
    const int save = arguments.indexOf("--save");
    if (save >= 0 && save + 1 < arguments.size()) {
        QApplication::processEvents();
        return window.grab().save(arguments[save + 1]) ? 0 : 1;
    }
    return app.exec();
}
