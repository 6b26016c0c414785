#include "SystemSounds.h"

#include <QCoreApplication>
#include <QHash>
#include <canberra.h>

namespace {
// The one sound context of the process, or null when none could be made.
ca_context* SoundContext() {
    static ca_context* const context = [] {
        ca_context* made = nullptr;
        if (ca_context_create(&made) != CA_SUCCESS)
            return static_cast<ca_context*>(nullptr);
        // Only through the sound server: straight to the sound card, the ALSA fallback plays
        // nothing a desktop mixes and reports a missing card on standard error.
        ca_context_set_driver(made, "pulse");
        const QByteArray name = QCoreApplication::applicationName().toUtf8();
        if (!name.isEmpty())
            ca_context_change_props(made, CA_PROP_APPLICATION_NAME, name.constData(), nullptr);
        return made;
    }();
    return context;
}
} // namespace

QString SoundEventId(const QString& alias) {
    static const QHash<QString, QString> ids{
        {QStringLiteral("SystemExclamation"), QStringLiteral("dialog-warning")},
        {QStringLiteral("SystemHand"), QStringLiteral("dialog-error")},
        {QStringLiteral("SystemQuestion"), QStringLiteral("dialog-question")},
        {QStringLiteral("SystemAsterisk"), QStringLiteral("dialog-information")},
    };
    return ids.value(alias);
}

void PlaySystemSound(const QString& alias) {
    const QByteArray id = SoundEventId(alias).toUtf8();
    ca_context* context = SoundContext();
    if (id.isEmpty() || !context)
        return;
    // Playing is asynchronous; a missing sound server or theme only makes the call fail.
    ca_context_play(context, 0, CA_PROP_EVENT_ID, id.constData(), nullptr);
}
