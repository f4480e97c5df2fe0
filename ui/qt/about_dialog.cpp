#include "about_dialog.h"

#include <QLabel>
#include <QPushButton>

#include "dialog_texts.h"
#include "dialog_units.h"
#include "window_style.h"

namespace varlo {

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent, kDialogWindowFlags) {
    setWindowTitle(QString::fromUtf8(texts::kAboutCaption));
    setFont(DialogFont());
    const CDialogUnits units(font());
    setFixedSize(units.ToPixels(235, 55));

    // An icon control takes the size of its icon, wherever its box says otherwise.
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(ApplicationIcon().pixmap(32, 32));
    icon->setGeometry(QRect(units.ToPixels(11, 17, 20, 20).topLeft(), QSize(32, 32)));

    auto* version = new QLabel(QString::fromUtf8(texts::kAboutVersion), this);
    version->setObjectName(QStringLiteral("version"));
    version->setTextFormat(Qt::PlainText);
    version->setGeometry(units.ToPixels(40, 10, 119, 8));

    auto* second = new QLabel(QString::fromUtf8(texts::kAboutSecondLine), this);
    second->setObjectName(QStringLiteral("secondLine"));
    second->setGeometry(units.ToPixels(40, 25, 119, 8));

    auto* ok = new QPushButton(QString::fromUtf8(texts::kOk), this);
    ok->setObjectName(QStringLiteral("IDOK"));
    ok->setDefault(true);
    ok->setGeometry(units.ToPixels(178, 7, 50, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace varlo
