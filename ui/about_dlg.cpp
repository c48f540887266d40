#include "ui/about_dlg.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "res/artwork.h"
#include "ui/dialog_template.h"
#include "ui/product.h"

namespace {

// The icon control shows its icon at the standard icon size, whatever the template says.
constexpr int kIconSize = 32;

QLabel* NewLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);  // an ampersand is shown as it is
    return label;
}

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent, platform::Shell* shell) : QDialog(parent) {
    BuildFromTemplate();
    OnInitDialog(shell);
}

void CAboutDlg::BuildFromTemplate() {
    const ui::DialogTemplate dlg(this, 8, 204, 59, ui::DialogFrame::Modal);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(res::Icon(143).pixmap(kIconSize, kIconSize));
    const QRect iconRect = dlg.ToPixels({8, 9, 20, 20});
    icon->setGeometry(iconRect.x(), iconRect.y(), kIconSize, kIconSize);
    icon->setAccessibleName(QString::fromLatin1(product::kTitle));

    m_title = NewLabel(QString(), this);
    m_title->setObjectName(QStringLiteral("1013"));
    dlg.Place(m_title, {35, 7, 168, 8});

    // OK before the link, which the link control makes a tab stop: the box opens with the focus
    // on OK, and Tab moves it to the link.
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    dlg.Place(ok, {142, 30, 50, 14});
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    m_address = NewLabel(QString::fromLatin1(product::kWebSiteUrl), this);
    m_address->setObjectName(QStringLiteral("1043"));
    dlg.Place(m_address, {37, 20, 117, 8});

    auto* notice = NewLabel(QString::fromLatin1(product::kNotice), this);
    notice->setObjectName(QStringLiteral("notice"));
    dlg.Place(notice, {37, 34, 73, 8});
}

void CAboutDlg::OnInitDialog(platform::Shell* shell) {
    setWindowTitle(QString::fromLatin1(product::kTitle));
    m_title->setText(QString::fromLatin1(product::kTitle) + QStringLiteral(" Version ") +
                     QString::fromLatin1(product::kVersion));
    m_link.m_strLink = QString::fromLatin1(product::kWebSiteUrl);
    if (shell)
        m_link.SetShell(shell);
    m_link.SubclassDlgItem(m_address);
}
