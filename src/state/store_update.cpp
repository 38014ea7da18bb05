#include "platform/clock.h"
#include "state/store.h"

#include <QPointer>

void Store::checkForUpdate()
{
    startTask([this] { checkForUpdateTask(); });
}

QCoro::Task<> Store::checkForUpdateTask()
{
    QPointer<Store> self(this);
    m_lastUpdateCheck = m_services.clock.now();
    const QString own = m_ownVersion.isEmpty() ? QStringLiteral("0") : m_ownVersion;

    const std::optional<QString> offered = co_await m_api.latestVersion();
    if (!self || !offered)
        co_return;
    set(m_updateVersion, compareVersions(*offered, own) > 0 ? *offered : QString(),
        &Store::updateVersionChanged);
}

int Store::compareVersions(const QString &a, const QString &b)
{
    const auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            // Compare the two digit runs by value: skip leading zeros, then the longer run is
            // larger, then the first differing digit decides.
            while (i < a.size() && a[i] == u'0' && i + 1 < a.size() && isDigit(a[i + 1]))
                ++i;
            while (j < b.size() && b[j] == u'0' && j + 1 < b.size() && isDigit(b[j + 1]))
                ++j;
            qsizetype endA = i;
            while (endA < a.size() && isDigit(a[endA]))
                ++endA;
            qsizetype endB = j;
            while (endB < b.size() && isDigit(b[endB]))
                ++endB;
            const qsizetype lenA = endA - i;
            const qsizetype lenB = endB - j;
            if (lenA != lenB)
                return lenA < lenB ? -1 : 1;
            for (qsizetype k = 0; k < lenA; ++k) {
                if (a[i + k] != b[j + k])
                    return a[i + k] < b[j + k] ? -1 : 1;
            }
            i = endA;
            j = endB;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j] ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}
