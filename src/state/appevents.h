#pragma once

#include <QObject>

/// Application-wide notifications, delivered on the main thread.
class AppEvents : public QObject
{
    Q_OBJECT

public:
    static AppEvents &instance();

Q_SIGNALS:
    /// "VeskConnected": the browser sign-in stored a new token.
    void veskConnected();
};
