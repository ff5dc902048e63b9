#pragma once

#include "links/script_functions.h"

#include <QString>

#include <optional>

// The script text of one page, for resolving that page's "javascript:" links; its function
// definitions are read at the first link that needs them. One walk of one page owns it, so
// one page's prefix never serves another page's function of the same name.
class PageScripts {
public:
    explicit PageScripts(QString scriptText = QString()) : m_text(std::move(scriptText)) {}

private:
    friend QString resolveScriptLink(const QString& link, const QString& directory, PageScripts* scripts);
    QString m_text;
    std::optional<ScriptFunctions> m_functions;
    // resolveUrl and resolveScriptLink call each other; a page whose function prefix is
    // itself a script call would otherwise recurse without end.
    int m_depth = 0;
};

// "javascript:" links: the first argument of the call, behind the prefix that the page's own
// function puts in front of it (javascript:show(12) with function show(id){window.open(
// 'view.asp?id='+id)} gives view.asp?id=12), resolved against the directory. The link
// unchanged when the call has no parenthesis or no argument. Without the page's scripts only
// window.open( calls resolve.
QString resolveScriptLink(const QString& link, const QString& directory, PageScripts* scripts);
