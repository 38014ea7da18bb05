#include "views/labels.h"

QColor riskColor(const Meeting &m)
{
    if (m.status == u"no_show")
        return Pal::red;
    if (m.status == u"vesk" || m.status == u"rescued" || m.status == u"confirmed")
        return Pal::green;
    if (m.status == u"at_risk")
        return Pal::red;
    if (m.riskLevel == u"high")
        return Pal::red;
    if (m.riskLevel == u"medium")
        return Pal::amber;
    return Pal::green;
}

QColor statusColor(const Meeting &m)
{
    if (m.status == u"confirmed" || m.status == u"vesk" || m.status == u"rescued")
        return Pal::green;
    if (m.status == u"at_risk" || m.status == u"no_show")
        return Pal::red;
    if (m.status == u"unconfirmed")
        return Pal::amber;
    return Pal::muted;
}

Labels::Labels(QObject *parent)
    : QObject(parent)
{}
