#pragma once

#include <QUrl>

/// Opens a web or mail address in the user's default application.
class UrlOpener
{
public:
    virtual ~UrlOpener() = default;
    virtual void open(const QUrl &url) = 0;
};
