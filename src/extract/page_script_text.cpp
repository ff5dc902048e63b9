#include "extract/page_script_text.h"

#include <QStringList>

#include <algorithm>
#include <utility>
#include <vector>

QString pageScriptText(const Document& document)
{
    QStringList parts;
    for (const Element& script : document.getElementsByTagName(QStringLiteral("SCRIPT")))
        parts.append(script.innerHTML().value_or(QString()));

    // Event handlers in document order; one element's by name, so that the text never depends
    // on the order in which an engine lists attributes.
    for (const Element& element : document.allElements()) {
        // Not a QList: sorting an empty one would allocate, for every element of the page.
        std::vector<std::pair<QString, QString>> handlers;
        element.forEachMember([&handlers](const QString& name, QStringView value) {
            if (name.startsWith(QLatin1String("on")))
                handlers.emplace_back(name, value.toString());
        });
        std::sort(handlers.begin(), handlers.end());
        for (const auto& handler : handlers)
            parts.append(handler.second);
    }
    return parts.join(u'\n');
}
