#pragma once

#include "model/qadraft.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

/// What the quick-add card shows and allows for a draft, callable from QML as the singleton
/// `QuickAddRules`.
class QuickAddRules : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    /// The card's time line ("when · N min"), or empty when the draft has no time.
    Q_INVOKABLE static QString draftTimeLine(const QADraft &draft);
    /// The card's main button label.
    Q_INVOKABLE static QString mainLabel(const QADraft &draft);
    /// Whether the card's main button is enabled.
    Q_INVOKABLE static bool mainEnabled(const QADraft &draft, bool busy);
};
