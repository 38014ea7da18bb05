// Placeholder bodies: quick-add records are being written.
#include "model/qadraft.h"

QAPerson QAPerson::decode(JsonReader &, const QJsonObject &) { return {}; }
QJsonObject QAPerson::toJson() const { return {}; }
std::optional<QADraft> QADraft::fromJson(const QJsonObject &) { return std::nullopt; }
QJsonObject QADraft::toJson() const { return {}; }
