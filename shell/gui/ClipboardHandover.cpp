#include "shell/gui/ClipboardHandover.h"

#include <QAbstractNativeEventFilter>
#include <QClipboard>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

#if defined(ORVANDEL_HAVE_XCB)
#include <cstring>
#include <memory>
#include <xcb/xcb.h>
#endif

namespace orv {

#if defined(ORVANDEL_HAVE_XCB)

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <class T> using Reply = std::unique_ptr<T, FreeReply>;

xcb_atom_t internAtom(xcb_connection_t* c, const char* name) {
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// Follows the manager while the event loop runs. A manager that keeps to the
// clipboard-manager convention answers the SAVE_TARGETS request on our window
// once it has copied everything; others copy the clipboard on their own when
// its owner changes and never answer. Either way the manager's requests for
// the clipboard's contents pass here before Qt answers them: once it has
// asked for contents and then gone quiet for a moment, it has what it needs.
class ManagerWatch final : public QAbstractNativeEventFilter {
public:
    struct Atoms {
        xcb_atom_t targets, multiple, timestamp, saveTargets;
    };

    ManagerWatch(xcb_window_t requestor, xcb_window_t manager, uint32_t resourceIdMask, Atoms atoms,
                 QEventLoop& loop)
        : m_requestor(requestor), m_managerClient(manager & ~resourceIdMask), m_idMask(resourceIdMask),
          m_atoms(atoms), m_loop(loop) {
        m_quiet.setSingleShot(true);
        m_quiet.setInterval(kQuietMs);
        QObject::connect(&m_quiet, &QTimer::timeout, &m_loop, [this] {
            kept = true;
            m_loop.quit();
        });
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto type = static_cast<const xcb_generic_event_t*>(message)->response_type & 0x7F;
        if (type == XCB_SELECTION_NOTIFY) {
            const auto* notify = static_cast<const xcb_selection_notify_event_t*>(message);
            if (notify->requestor != m_requestor)
                return false;
            kept = notify->property != XCB_ATOM_NONE;
            m_quiet.stop();
            m_loop.quit();
            return true;
        }
        if (type == XCB_SELECTION_REQUEST) {
            const auto* request = static_cast<const xcb_selection_request_event_t*>(message);
            if ((request->requestor & ~m_idMask) == m_managerClient && isContent(request->target)) {
                m_contentAsked = true;
                m_quiet.start();
            }
        } else if (type == XCB_PROPERTY_NOTIFY && m_contentAsked) {
            m_quiet.start(); // a long text travels in pieces
        }
        return false;
    }

    bool kept = false;

private:
    static constexpr int kQuietMs = 300;

    bool isContent(xcb_atom_t target) const {
        return target != m_atoms.targets && target != m_atoms.multiple && target != m_atoms.timestamp &&
               target != m_atoms.saveTargets;
    }

    xcb_window_t m_requestor;
    uint32_t m_managerClient;
    uint32_t m_idMask;
    Atoms m_atoms;
    QEventLoop& m_loop;
    QTimer m_quiet;
    bool m_contentAsked = false;
};

xcb_window_t selectionOwner(xcb_connection_t* c, xcb_atom_t selection) {
    const Reply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr));
    return owner ? owner->owner : static_cast<xcb_window_t>(XCB_NONE);
}

xcb_connection_t* x11Connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

} // namespace

bool ClipboardManagerRunning() {
    xcb_connection_t* c = x11Connection();
    return c && selectionOwner(c, internAtom(c, "CLIPBOARD_MANAGER")) != XCB_NONE;
}

bool HandClipboardToManager(int timeoutMs) {
    xcb_connection_t* c = x11Connection();
    const QClipboard* clipboard = QGuiApplication::clipboard();
    if (!c || !clipboard || !clipboard->ownsClipboard())
        return false;
    const xcb_atom_t manager = internAtom(c, "CLIPBOARD_MANAGER");
    const xcb_window_t managerWindow = selectionOwner(c, manager);
    if (managerWindow == XCB_NONE)
        return false;
    const ManagerWatch::Atoms atoms{internAtom(c, "TARGETS"), internAtom(c, "MULTIPLE"),
                                    internAtom(c, "TIMESTAMP"), internAtom(c, "SAVE_TARGETS")};
    const xcb_atom_t property = internAtom(c, "_ORVANDEL_CLIPBOARD_SAVED");

    const xcb_setup_t* setup = xcb_get_setup(c);
    const xcb_window_t requestor = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, requestor, xcb_setup_roots_iterator(setup).data->root, 0, 0, 1,
                      1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    QEventLoop loop;
    ManagerWatch watch(requestor, managerWindow, setup->resource_id_mask, atoms, loop);
    qGuiApp->installNativeEventFilter(&watch);
    // The manager asks this program for the clipboard's formats and text;
    // Qt answers those requests while events are processed.
    xcb_convert_selection(c, requestor, manager, atoms.saveTargets, property, XCB_CURRENT_TIME);
    xcb_flush(c);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    qGuiApp->removeNativeEventFilter(&watch);
    xcb_destroy_window(c, requestor);
    xcb_flush(c);
    return watch.kept;
}

#else

bool ClipboardManagerRunning() {
    return false;
}

bool HandClipboardToManager(int) {
    return false;
}

#endif

void EndProgramAtOnce() {
    HandClipboardToManager();
    std::fflush(nullptr);
    std::_Exit(0);
}

} // namespace orv
