#pragma once

#include <QMetaObject>
#include <QObject>

#include <functional>

// Delivers an event of a browser from the event loop, and only while the navigation that
// raised it is still the browser's own: *current is the browser's navigation count, read
// again when the event is due. Nothing is delivered once the browser is gone.
inline void deliverLater(QObject* browser, const quint64* current, std::function<void()> event)
{
    QMetaObject::invokeMethod(
        browser,
        [current, navigation = *current, event = std::move(event)] {
            if (navigation == *current)
                event();
        },
        Qt::QueuedConnection);
}
