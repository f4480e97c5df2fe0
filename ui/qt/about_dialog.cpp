#include "about_dialog.h"

#include <QLabel>
#include <QPushButton>

#include "dialog_units.h"
#include "text_boundary.h"
#include "window_style.h"

namespace varlo {

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent, kDialogWindowFlags) {
    setWindowTitle(ToQString(TextId::AboutCaption));
    setFont(DialogFont());
    const CDialogUnits units(font());
    setFixedSize(units.ToPixels(235, 55));

    // An icon control takes the size of its icon, wherever its box says otherwise.
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(ApplicationIcon().pixmap(32, 32));
    icon->setGeometry(QRect(units.ToPixels(11, 17, 20, 20).topLeft(), QSize(32, 32)));

    auto* version = new QLabel(ToQString(TextId::AboutVersion), this);
    version->setObjectName(QStringLiteral("version"));
    version->setTextFormat(Qt::PlainText);
    version->setGeometry(units.ToPixels(40, 10, 119, 8));

    auto* second = new QLabel(ToQString(TextId::AboutSecondLine), this);
    second->setObjectName(QStringLiteral("secondLine"));
    second->setGeometry(units.ToPixels(40, 25, 119, 8));

    auto* licence = new QLabel(ToQString(TextId::AboutLicence), this);
    licence->setObjectName(QStringLiteral("licence"));
    licence->setGeometry(units.ToPixels(40, 40, 119, 8));

    auto* ok = new QPushButton(ToQString(TextId::Ok), this);
    ok->setObjectName(QStringLiteral("IDOK"));
    ok->setDefault(true);
    ok->setGeometry(units.ToPixels(178, 7, 50, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace varlo
