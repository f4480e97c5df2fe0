// SIGTERM, SIGINT and SIGHUP (logout, Ctrl-C in the terminal) as a Qt signal, so that the window
// closes the normal way and saves its settings instead of the process just ending.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace varlo {

class CQuitSignals : public QObject {
    Q_OBJECT

public:
    explicit CQuitSignals(QObject* parent = nullptr);
    ~CQuitSignals() override;

signals:
    void QuitRequested();

private:
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace varlo
