#include "app/activity_filter.h"

#include <QEvent>

namespace tessarin {

CActivityFilter::CActivityFilter(std::function<void()> activity, QObject* parent)
    : QObject(parent), m_activity(std::move(activity)) {}

bool CActivityFilter::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        // A key that is a shortcut never arrives as a key press: it is offered to the focus
        // widget as this first.
        case QEvent::ShortcutOverride:
        case QEvent::MouseButtonPress:
        case QEvent::Wheel:
            // The window system's window hands the event on to the widget: counted there.
            if (watched->isWidgetType() && m_activity)
                m_activity();
            break;
        default:
            break;
    }
    return false;
}

}  // namespace tessarin
