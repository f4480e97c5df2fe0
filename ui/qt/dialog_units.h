// Dialog units, the coordinates of dialog templates: a horizontal unit is a quarter of the
// dialog font's average character width, a vertical unit an eighth of its height.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

namespace varlo {

class CDialogUnits {
public:
    explicit CDialogUnits(const QFont& font);

    int BaseX() const { return m_baseX; }
    int BaseY() const { return m_baseY; }

    QRect ToPixels(int x, int y, int width, int height) const;
    QSize ToPixels(int width, int height) const;

private:
    int m_baseX;
    int m_baseY;
};

}  // namespace varlo
