// Placeholder bodies: contact records are being written.
#include "model/personhit.h"

PersonHit PersonHit::decode(JsonReader &, const QJsonObject &) { return {}; }
QJsonObject PersonHit::toJson() const { return {}; }
size_t qHash(const PersonHit &hit, size_t seed) noexcept { return qHash(hit.email, seed); }
