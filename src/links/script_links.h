#pragma once

#include <QString>

// "javascript:" links: the first argument of the call, behind the prefix that the page's own
// function puts in front of it (javascript:show(12) with function show(id){window.open(
// 'view.asp?id='+id)} gives view.asp?id=12), resolved against the directory. The link
// unchanged when the call has no parenthesis or no argument.
QString resolveScriptLink(const QString& link, const QString& directory);

// The text that functionName's definition in scriptText puts before its first parameter in
// its window.open( call; "" when there is no such definition or call.
QString findFunctionPrefix(const QString& scriptText, const QString& functionName);

// The script text of the page whose links are being resolved (pageScriptText of its
// document). Setting a different text drops the previous page's function definitions, so
// one page's prefix never serves another page's function of the same name.
void setPageScriptText(const QString& text);
