#include "Global.h"

TVelloriaApp* VelloriaApp = nullptr;
