#include "Help.h"

#include "ProgramFile.h"

#include <QDesktopServices>

QString HelpFolder() {
    return ProgramDataFolder() + QStringLiteral("/help");
}

QUrl HelpPageUrl(int context) {
    const QString page = context > 0 ? QString::number(context) + QStringLiteral(".html")
                                     : QStringLiteral("index.html");
    return QUrl::fromLocalFile(HelpFolder() + QLatin1Char('/') + page);
}

bool ShowHelpContext(int context) {
    return QDesktopServices::openUrl(HelpPageUrl(context));
}
