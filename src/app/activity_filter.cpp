#include "app/activity_filter.h"

#include <QEvent>

namespace tessarin {

CActivityFilter::CActivityFilter(std::function<void()> activity, QObject* parent)
    : QObject(parent), m_activity(std::move(activity)) {}

bool CActivityFilter::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
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
