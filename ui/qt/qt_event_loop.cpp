#include "qt_event_loop.h"

#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

namespace varlo {

namespace {

// Owns the notifier or timer. A watch may be dropped by its own callback, so the object goes
// later, from the event loop, never while its signal is being delivered.
class CQtWatch : public IEventLoop::IWatch {
public:
    explicit CQtWatch(QObject* object) : m_object(object) {}
    ~CQtWatch() override {
        if (m_object == nullptr) {
            return;
        }
        if (auto* notifier = qobject_cast<QSocketNotifier*>(m_object)) {
            notifier->setEnabled(false);
        } else if (auto* timer = qobject_cast<QTimer*>(m_object)) {
            timer->stop();
        }
        m_object->disconnect();
        m_object->deleteLater();
    }

private:
    QPointer<QObject> m_object;
};

}  // namespace

std::unique_ptr<IEventLoop::IWatch> CQtEventLoop::WhenReady(NativeHandle handle, Callback ready) {
    auto* notifier = new QSocketNotifier(static_cast<qintptr>(handle), QSocketNotifier::Read);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [notifier, ready = std::move(ready)]() mutable {
                         notifier->setEnabled(false);  // once: the descriptor stays readable
                         Callback call = std::move(ready);
                         ready = nullptr;
                         if (call) {
                             call();
                         }
                     });
    return std::make_unique<CQtWatch>(notifier);
}

std::unique_ptr<IEventLoop::IWatch> CQtEventLoop::After(std::chrono::milliseconds delay,
                                                        Callback due) {
    auto* timer = new QTimer;
    timer->setSingleShot(true);
    // A coarse timer may fire 5% early or late: a stop's grace would wander by 100 ms.
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer, &QTimer::timeout, timer, [due = std::move(due)]() mutable {
        Callback call = std::move(due);
        due = nullptr;
        if (call) {
            call();
        }
    });
    timer->start(delay);
    return std::make_unique<CQtWatch>(timer);
}

}  // namespace varlo
