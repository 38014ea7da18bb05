#pragma once

#include "platform/urlopener.h"

/// Hands addresses to the desktop's default browser or mail client (xdg-open on a plain desktop,
/// the OpenURI portal inside a sandbox).
class DesktopUrlOpener : public UrlOpener
{
public:
    void open(const QUrl &url) override;
};
