#pragma once

#include "platform/clipboard.h"

/// The desktop clipboard through QClipboard: one entry offering text/html (when given) and
/// text/plain. The process serves the data on X11 for as long as it runs.
class QtClipboard : public Clipboard
{
public:
    void setContent(const QString &text, const QString &html) override;
};
