#include "views/palette.h"

Pal::Pal(QObject *parent)
    : QObject(parent)
{}

QColor Pal::riskColor(const Meeting &m)
{
    if (m.status == u"no_show")
        return red;
    if (m.status == u"vesk" || m.status == u"rescued" || m.status == u"confirmed")
        return green;
    if (m.status == u"at_risk")
        return red;
    if (m.riskLevel == u"high")
        return red;
    if (m.riskLevel == u"medium")
        return amber;
    return green;
}

QColor Pal::statusColor(const Meeting &m)
{
    if (m.status == u"confirmed" || m.status == u"vesk" || m.status == u"rescued")
        return green;
    if (m.status == u"at_risk" || m.status == u"no_show")
        return red;
    if (m.status == u"unconfirmed")
        return amber;
    return muted;
}
