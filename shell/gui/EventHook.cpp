#include "shell/gui/EventHook.h"

namespace orv {

EventHook::EventHook(QObject* target, Handler handler) : QObject(target), m_handler(std::move(handler)) {}

void EventHook::install(QObject* target, Handler handler) {
    target->installEventFilter(new EventHook(target, std::move(handler)));
}

bool EventHook::eventFilter(QObject* /*watched*/, QEvent* event) {
    return m_handler(event);
}

} // namespace orv
