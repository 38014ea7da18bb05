#pragma once

#include <QDateTime>

/// The wall clock the Store reads. Tests move a fake one instead of waiting.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};
