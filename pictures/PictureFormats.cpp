#include "PictureFormats.h"

#include "Ani.h"
#include "FileFormats.h"

void RegisterPictureFormats()
{
    TFileFormatsList& formats = FileFormats();
    formats.Add(QStringLiteral("ani"), QStringLiteral("ANI Image"), &TJvAni::staticMetaObject);
}
