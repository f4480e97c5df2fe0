#include "dialog_units.h"

#include <QFontMetrics>

namespace varlo {

namespace {

// a * b / c rounded half away from zero, as the units are converted on Windows.
int MulDiv(int a, int b, int c) {
    return (2 * a * b + c) / (2 * c);
}

}  // namespace

CDialogUnits::CDialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    // The average width of the 52 Latin letters, rounded.
    const int extent = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseX = (extent / 26 + 1) / 2;
    m_baseY = metrics.height();
}

QRect CDialogUnits::ToPixels(int x, int y, int width, int height) const {
    return QRect(MulDiv(x, m_baseX, 4), MulDiv(y, m_baseY, 8), MulDiv(width, m_baseX, 4),
                 MulDiv(height, m_baseY, 8));
}

QSize CDialogUnits::ToPixels(int width, int height) const {
    return QSize(MulDiv(width, m_baseX, 4), MulDiv(height, m_baseY, 8));
}

}  // namespace varlo
