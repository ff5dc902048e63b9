#include "links/page_script_text.h"

#include <QStringList>

#include <algorithm>
#include <utility>

QString pageScriptText(const Document& document)
{
    QStringList parts;
    for (const Element& script : document.getElementsByTagName(QStringLiteral("SCRIPT")))
        parts.append(script.innerHTML().value_or(QString()));

    // Tags and attributes in a fixed order, so that the same page always gives the same text.
    QStringList tags = document.tagNames();
    std::sort(tags.begin(), tags.end());
    for (const QString& tag : tags) {
        for (const Element& element : document.getElementsByTagName(tag)) {
            QList<std::pair<QString, QString>> handlers;
            for (auto& member : element.members()) {
                if (member.first.startsWith(QLatin1String("on")))
                    handlers.append(std::move(member));
            }
            std::sort(handlers.begin(), handlers.end());
            for (const auto& handler : handlers)
                parts.append(handler.second);
        }
    }
    return parts.join(u'\n');
}
