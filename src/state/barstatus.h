#pragma once

#include <QJsonObject>

class Store;

/// What `vesk-bar --status` reports for bars that draw no tray labels: "text" (the tray title as
/// the item shows it), "tooltip" (the next meeting in words) and "class" ("now", "soon", "idle" or
/// "signed-out"), the keys waybar's custom modules read.
QJsonObject barStatus(const Store &store);
