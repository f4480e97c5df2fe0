// What both start-up probes do once their window first reaches the screen: tell the waiting
// parent through a pipe, then close the window so that the program ends the normal way.
//
// The parent names the pipe's write end in VARLO_FIRST_PAINT_FD. The probe writes one byte the
// moment the first Expose or Paint event reaches a visible top-level dialog, then the dialog's
// size as "<width>x<height>\n", so that the bare probe can be given the same size.
#pragma once

#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QWidget>
#include <QWindow>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace varlo::bench {

inline constexpr char kFirstPaintFdVariable[] = "VARLO_FIRST_PAINT_FD";

// The pipe's descriptor from the environment, or -1 (and a message) when it is missing or bad.
inline int FirstPaintFd(const char* program) {
    const char* text = std::getenv(kFirstPaintFdVariable);
    char* end = nullptr;
    const long fd = text != nullptr ? std::strtol(text, &end, 10) : -1;
    if (text == nullptr || *text == '\0' || *end != '\0' || fd < 0 || fd > 1'000'000) {
        std::fprintf(stderr, "%s: run by startup_bench, which sets %s\n", program,
                     kFirstPaintFdVariable);
        return -1;
    }
    return static_cast<int>(fd);
}

inline bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Watches every event of the application until the first one that shows a dialog.
class CFirstPaintSignal : public QObject {
public:
    explicit CFirstPaintSignal(int fd) : m_fd(fd) { qApp->installEventFilter(this); }
    ~CFirstPaintSignal() override {
        if (m_fd >= 0) {
            ::close(m_fd);  // the parent then reads end of file: the window never showed
        }
    }
    CFirstPaintSignal(const CFirstPaintSignal&) = delete;
    CFirstPaintSignal& operator=(const CFirstPaintSignal&) = delete;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (m_fd < 0 || (event->type() != QEvent::Expose && event->type() != QEvent::Paint)) {
            return false;
        }
        QDialog* dialog = ShownDialog(watched);
        if (dialog == nullptr) {
            return false;
        }
        const std::string size =
            std::to_string(dialog->width()) + "x" + std::to_string(dialog->height()) + "\n";
        if (!WriteAll(m_fd, "!") || !WriteAll(m_fd, size)) {
            std::perror("first paint signal");
        }
        ::close(m_fd);
        m_fd = -1;
        QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
        return false;
    }

private:
    // The visible top-level dialog that the event is for: the dialog itself (Paint), or the
    // dialog whose native window it is (Expose).
    static QDialog* ShownDialog(QObject* watched) {
        if (auto* dialog = qobject_cast<QDialog*>(watched)) {
            return dialog->isWindow() && dialog->isVisible() ? dialog : nullptr;
        }
        auto* window = qobject_cast<QWindow*>(watched);
        if (window == nullptr || !window->isExposed()) {
            return nullptr;
        }
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QDialog*>(widget);
            if (dialog != nullptr && dialog->isVisible() && dialog->windowHandle() == window) {
                return dialog;
            }
        }
        return nullptr;
    }

    int m_fd;
};

// No display is needed, and the parent asks for a platform when it wants another.
inline void DefaultToOffscreen() {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
}

}  // namespace varlo::bench
