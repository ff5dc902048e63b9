#pragma once

#include <QHash>
#include <QString>

#include <optional>

// The function definitions of one page's script text, found in one pass over it, so that a
// page with many "javascript:" links reads its text once rather than once per link.
// Definitions are looked up ignoring letter case; the first definition of a name counts.
class ScriptFunctions {
public:
    // How many distinct parameter names one page may have looked up in its whole text:
    // each costs a search of it.
    static constexpr int maxParameterSearches = 64;

    explicit ScriptFunctions(QString scriptText);

    // The text that the function's window.open( call puts before its first parameter
    // (function show(id){window.open('view.asp?id='+id)} gives "view.asp?id="); "" when there
    // is no such definition or call; nothing when the definition is malformed (no ")" after
    // its head, or the parameter not used behind window.open() or past the search limit.
    std::optional<QString> prefix(const QString& functionName);

private:
    struct Definition {
        qsizetype parametersStart = 0; // behind "function name("
        qsizetype parametersEnd = -1;  // the first ")" from the head on; -1 when none
        qsizetype opener = -1;         // the first "window.open(" from the head on
        std::optional<std::optional<QString>> prefix; // once looked up
    };

    std::optional<QString> lookUp(const Definition& definition);
    qsizetype lastUse(QStringView parameter);

    QString m_text;
    QHash<QString, Definition> m_definitions; // case-folded name -> first definition
    QHash<QString, qsizetype> m_lastUse;       // case-folded parameter -> last position or -1
};
