#include "platform/settings.h"
#include "state/store.h"

namespace {

const QString HeadsUpKey = QStringLiteral("headsUpMinutes");
constexpr int DefaultHeadsUpMinutes = 1;

} // namespace

int Store::headsUpMinutes() const
{
    const QVariant stored = m_services.settings.value(HeadsUpKey);
    bool ok = false;
    const int minutes = stored.toInt(&ok);
    // A missing or hand-edited value falls back to the default rather than to "off".
    return ok && headsUpChoices().contains(minutes) ? minutes : DefaultHeadsUpMinutes;
}

void Store::setHeadsUpMinutes(int minutes)
{
    if (!headsUpChoices().contains(minutes) || minutes == headsUpMinutes())
        return;
    m_services.settings.setValue(HeadsUpKey, minutes);
    Q_EMIT headsUpMinutesChanged();
}

void Store::cycleHeadsUp()
{
    const QList<int> choices = headsUpChoices();
    setHeadsUpMinutes(choices.at((choices.indexOf(headsUpMinutes()) + 1) % choices.size()));
}
