#pragma once
// The product's application object, reached by every window through VelloriaApp.

#include "LXApps.h"

class TVelloriaApp : public TLXApplication {
public:
    QString GetAppName() const override { return QStringLiteral("Velloria"); }
};

// The live product application object, or null outside its lifetime.
extern TVelloriaApp* VelloriaApp;
