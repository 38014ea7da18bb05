#pragma once

#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/loginitem.h"
#include "platform/settings.h"
#include "platform/sounds.h"
#include "platform/urlopener.h"

#include <QHash>
#include <QList>
#include <QUrl>

/// Small recording doubles for the desktop adapters; each adapter also has its own tests against
/// the real thing.

class FakeClock : public Clock
{
public:
    QDateTime current = QDateTime::currentDateTime();
    QDateTime now() const override { return current; }
    void advance(qint64 seconds) { current = current.addSecs(seconds); }
};

class FakeSettings : public Settings
{
public:
    QHash<QString, QVariant> values;
    QVariant value(const QString &key) const override { return values.value(key); }
    void setValue(const QString &key, const QVariant &value) override { values.insert(key, value); }
    void remove(const QString &key) override { values.remove(key); }
};

class FakeUrlOpener : public UrlOpener
{
public:
    QList<QUrl> opened;
    void open(const QUrl &url) override { opened.append(url); }
};

class FakeLoginItem : public LoginItem
{
public:
    Status current = Status::NotRegistered;
    bool refuseRegister = false; ///< registering leaves RequiresApproval, as a desktop that asks first
    int registerCalls = 0;
    int unregisterCalls = 0;
    bool registerItem() override
    {
        ++registerCalls;
        current = refuseRegister ? Status::RequiresApproval : Status::Enabled;
        return !refuseRegister;
    }
    bool unregisterItem() override
    {
        ++unregisterCalls;
        current = Status::NotRegistered;
        return true;
    }
    Status status() const override { return current; }
    bool canTakeOver = false; ///< the item is another copy's and this one is the installed program
    bool takeOver() override
    {
        if (canTakeOver)
            current = Status::Enabled;
        return canTakeOver;
    }
};

class FakeClipboard : public Clipboard
{
public:
    struct Entry
    {
        QString text;
        QString html;
    };
    QList<Entry> writes;
    void setContent(const QString &text, const QString &html) override { writes.append({text, html}); }
};

class FakeSounds : public Sounds
{
public:
    QList<Sound> played;
    void play(Sound sound) override { played.append(sound); }
};
