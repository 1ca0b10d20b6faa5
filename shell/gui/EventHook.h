#pragma once

#include <QObject>

#include <functional>

class QEvent;

namespace orv {

// Hands every event of one object to a handler before the object sees it; the
// handler returns true to keep the event from the object. Each behaviour of a
// control (pointer, dragging, drops, keys) gets a hook of its own, installed
// next to the handlers it calls, so none of them has to know the others.
class EventHook final : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<bool(QEvent*)>;
    // The hook belongs to `target` and goes with it.
    static void install(QObject* target, Handler handler);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    EventHook(QObject* target, Handler handler);
    Handler m_handler;
};

} // namespace orv
