// The about box: the program's icon, name and version.
#pragma once

#include <QDialog>

namespace varlo {

class CAboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDialog(QWidget* parent = nullptr);
};

}  // namespace varlo
