#pragma once

#include <QObject>
#include <QString>

#include <optional>

// Tells what type of content an address holds, as its server says (the Content-Type), for
// addresses whose name does not show it. One per program; answers are kept for the run.
class TypeProbe : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~TypeProbe() override = default;

    // The Content-Type already known for the address: asked before, or sent with the
    // address's bytes when the engine loaded them. Empty when the server gave none or did
    // not answer.
    virtual std::optional<QString> knownType(const QString& address) const = 0;
    // Asks the server unless the type is known or a question is under way. The answer comes
    // later, from the event loop, as answered(); a few questions run at a time.
    virtual void ask(const QString& address) = 0;
    // True while questions are queued or under way.
    virtual bool isBusy() const = 0;

signals:
    // contentType is empty when the server did not answer or gave none.
    void answered(const QString& address, const QString& contentType);
};
