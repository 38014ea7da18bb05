#pragma once

#include <QString>

/// The desktop clipboard. One call replaces the whole content with one entry.
class Clipboard
{
public:
    virtual ~Clipboard() = default;
    /// Clears the clipboard, then puts one entry holding `html` (when not null) and `text`.
    virtual void setContent(const QString &text, const QString &html) = 0;
};
