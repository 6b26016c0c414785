#pragma once
// System sounds by their Windows alias, played from the desktop's freedesktop sound theme.

#include <QString>

// The freedesktop event id standing in for the alias ("SystemExclamation" → "dialog-warning",
// "SystemHand" → "dialog-error", "SystemQuestion" → "dialog-question", "SystemAsterisk" →
// "dialog-information"); empty for any other alias.
QString SoundEventId(const QString& alias);
// Starts the alias's sound and returns at once; without a sound server, or for an unknown
// alias, nothing is heard and nothing is reported.
void PlaySystemSound(const QString& alias);
