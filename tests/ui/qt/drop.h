// Dropping files on a window in a test, as the window system delivers a drop.
#pragma once

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QWidget>
#include <QWindow>

namespace varlo::test {

// Drops a raw text/uri-list at a point of the widget's window; true when the drop was taken.
// The window finds the widget under the point and the drop target above it, as for a real drop.
inline bool DropUriList(QWidget& window, const QByteArray& uriList, QPoint at) {
    QMimeData mime;
    mime.setData(QStringLiteral("text/uri-list"), uriList);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.windowHandle(), &enter);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.windowHandle(), &drop);
    return drop.isAccepted();
}

}  // namespace varlo::test
