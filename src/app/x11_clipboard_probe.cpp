#include "app/x11_clipboard_probe.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>

#include <QGuiApplication>
#include <QObject>

#include <X11/Xlib.h>
#include <xcb/xcb.h>

namespace tessarin {

namespace {

using Clock = std::chrono::steady_clock;

// How long an owner may take to answer; past it the clipboard counts as holding no text.
constexpr std::chrono::milliseconds kAnswerTime{3000};

struct CFree {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using CReply = std::unique_ptr<T, CFree>;

// One look over a connection of its own: asks for the text, waits for it, reads its start.
class CSelectionReader {
public:
    CSelectionReader(const std::string& display, int cancelFd) : m_cancelFd(cancelFd) {
        int screenNumber = 0;
        m_connection = xcb_connect(display.empty() ? nullptr : display.c_str(), &screenNumber);
        if (xcb_connection_has_error(m_connection))
            return;
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
        for (int i = 0; i < screenNumber && screens.rem; ++i)
            xcb_screen_next(&screens);
        if (!screens.rem)
            return;
        m_window = xcb_generate_id(m_connection);
        const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screens.data->root, 0, 0, 1,
                          1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, screens.data->root_visual,
                          XCB_CW_EVENT_MASK, &events);
        const char* names[] = {"CLIPBOARD", "UTF8_STRING", "INCR", "TESSARIN_CLIPBOARD_LOOK"};
        xcb_intern_atom_cookie_t cookies[4];
        for (int i = 0; i < 4; ++i)
            cookies[i] =
                xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(strlen(names[i])), names[i]);
        xcb_atom_t* atoms[] = {&m_clipboard, &m_utf8, &m_incr, &m_property};
        for (int i = 0; i < 4; ++i) {
            CReply<xcb_intern_atom_reply_t> reply(
                xcb_intern_atom_reply(m_connection, cookies[i], nullptr));
            if (!reply)
                return;
            *atoms[i] = reply->atom;
        }
        m_ready = true;
    }
    ~CSelectionReader() {
        if (m_window)
            xcb_destroy_window(m_connection, m_window);
        xcb_disconnect(m_connection);
    }
    CSelectionReader(const CSelectionReader&) = delete;
    CSelectionReader& operator=(const CSelectionReader&) = delete;

    // The first `count` characters of the text; empty for none; nothing when cancelled or when
    // the owner did not answer in time.
    std::optional<QString> Start(int count) {
        if (!m_ready)
            return QString();
        const Clock::time_point deadline = Clock::now() + kAnswerTime;
        for (const xcb_atom_t target : {m_utf8, xcb_atom_t(XCB_ATOM_STRING)}) {
            xcb_convert_selection(m_connection, m_window, m_clipboard, target, m_property,
                                  XCB_CURRENT_TIME);
            xcb_flush(m_connection);
            CReply<xcb_generic_event_t> event = WaitFor(deadline, [this](xcb_generic_event_t* e) {
                return (e->response_type & 0x7f) == XCB_SELECTION_NOTIFY &&
                       reinterpret_cast<xcb_selection_notify_event_t*>(e)->requestor == m_window;
            });
            if (!event)
                return std::nullopt;
            if (reinterpret_cast<xcb_selection_notify_event_t*>(event.get())->property == XCB_NONE)
                continue;  // not in this form
            std::optional<QByteArray> bytes = Read(count, deadline);
            if (!bytes)
                return std::nullopt;
            const QString text =
                target == m_utf8 ? QString::fromUtf8(*bytes) : QString::fromLatin1(*bytes);
            return text.left(count);
        }
        return QString();
    }

private:
    // The start of the property the owner wrote. A large text comes in pieces (INCR): the first
    // holds the start; the rest are taken and dropped, so that the owner, which may serve one
    // requestor at a time, finishes the transfer.
    std::optional<QByteArray> Read(int count, Clock::time_point deadline) {
        // At most four bytes a character.
        const uint32_t words = static_cast<uint32_t>(count) + 1;
        CReply<xcb_get_property_reply_t> reply = Property(words);
        if (!reply)
            return std::nullopt;
        if (reply->type != m_incr)
            return Value(*reply);
        std::optional<QByteArray> start;
        for (;;) {
            // Deleting the property asks for the next piece; an empty piece ends the text.
            xcb_delete_property(m_connection, m_window, m_property);
            xcb_flush(m_connection);
            if (!WaitFor(deadline, [this](xcb_generic_event_t* e) {
                    const auto* notify = reinterpret_cast<xcb_property_notify_event_t*>(e);
                    return (e->response_type & 0x7f) == XCB_PROPERTY_NOTIFY &&
                           notify->atom == m_property && notify->state == XCB_PROPERTY_NEW_VALUE;
                }))
                return start;
            reply = Property(start ? 0 : words);
            if (!reply)
                return start;
            const bool last =
                reply->bytes_after == 0 && xcb_get_property_value_length(reply.get()) == 0;
            if (!start)
                start = Value(*reply);
            if (last) {
                xcb_delete_property(m_connection, m_window, m_property);
                xcb_flush(m_connection);
                return start;
            }
            // Each piece may take its own time.
            deadline = Clock::now() + kAnswerTime;
        }
    }

    CReply<xcb_get_property_reply_t> Property(uint32_t words) {
        return CReply<xcb_get_property_reply_t>(
            xcb_get_property_reply(m_connection,
                                   xcb_get_property(m_connection, 0, m_window, m_property,
                                                    XCB_GET_PROPERTY_TYPE_ANY, 0, words),
                                   nullptr));
    }

    static QByteArray Value(xcb_get_property_reply_t& reply) {
        return QByteArray(static_cast<const char*>(xcb_get_property_value(&reply)),
                          xcb_get_property_value_length(&reply));
    }

    // The next event `wanted` takes; none at the deadline, when cancelled or disconnected.
    template <typename Wanted>
    CReply<xcb_generic_event_t> WaitFor(Clock::time_point deadline, Wanted wanted) {
        for (;;) {
            while (xcb_generic_event_t* next = xcb_poll_for_event(m_connection)) {
                CReply<xcb_generic_event_t> event(next);
                if (wanted(event.get()))
                    return event;
            }
            if (xcb_connection_has_error(m_connection))
                return nullptr;
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return nullptr;
            pollfd fds[2] = {{xcb_get_file_descriptor(m_connection), POLLIN, 0},
                             {m_cancelFd, POLLIN, 0}};
            if (poll(fds, 2, static_cast<int>(left.count())) > 0 && fds[1].revents)
                return nullptr;
        }
    }

    int m_cancelFd;
    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_window = 0;
    xcb_atom_t m_clipboard = 0;
    xcb_atom_t m_utf8 = 0;
    xcb_atom_t m_incr = 0;
    xcb_atom_t m_property = 0;
    bool m_ready = false;
};

class CX11ClipboardProbe : public IClipboardProbe {
public:
    explicit CX11ClipboardProbe(std::string display) : m_display(std::move(display)) {}
    ~CX11ClipboardProbe() override { Stop(); }

    void Look(int count, std::function<void(const QString&)> answer) override {
        Stop();
        m_answer = std::move(answer);
        const uint64_t look = ++m_looks;
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) {
            Deliver(look, QString());
            return;
        }
        m_cancelRead = fds[0];
        m_cancelWrite = fds[1];
        m_thread = std::thread([this, look, count, cancel = fds[0]] {
            CSelectionReader reader(m_display, cancel);
            // No answer in time counts as no text; a cancelled look's answer is dropped.
            const QString start = reader.Start(count).value_or(QString());
            QMetaObject::invokeMethod(
                &m_receiver, [this, look, start] { Deliver(look, start); }, Qt::QueuedConnection);
        });
    }

private:
    // Ends the look under way; its answer, if already posted, is dropped by its number.
    void Stop() {
        if (m_thread.joinable()) {
            const char stop = 1;
            [[maybe_unused]] const ssize_t written = write(m_cancelWrite, &stop, 1);
            m_thread.join();
        }
        for (int* fd : {&m_cancelRead, &m_cancelWrite})
            if (*fd >= 0) {
                close(*fd);
                *fd = -1;
            }
    }
    void Deliver(uint64_t look, const QString& text) {
        if (look != m_looks || !m_answer)
            return;
        const std::function<void(const QString&)> answer = std::move(m_answer);
        m_answer = nullptr;
        answer(text);
    }

    const std::string m_display;
    // Lives on the window's thread: the answers are posted to it.
    QObject m_receiver;
    std::function<void(const QString&)> m_answer;
    uint64_t m_looks = 0;
    std::thread m_thread;
    int m_cancelRead = -1;
    int m_cancelWrite = -1;
};

}  // namespace

std::unique_ptr<IClipboardProbe> MakeClipboardProbe() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (Display* display = x11 ? x11->display() : nullptr)
        return std::make_unique<CX11ClipboardProbe>(DisplayString(display));
    return MakeLocalClipboardProbe();
}

}  // namespace tessarin
