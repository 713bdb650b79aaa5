#pragma once

#include <QString>
#include <stdexcept>

// The exception higher layers raise; it carries the message the user sees.
class EVarnexError : public std::runtime_error
{
public:
    explicit EVarnexError(const QString& aMessage)
        : std::runtime_error(aMessage.toStdString())
        , FMessage(aMessage)
    {
    }
    const QString& Message() const { return FMessage; }

private:
    QString FMessage;
};
