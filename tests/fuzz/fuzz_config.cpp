// Feeds arbitrary bytes to the configuration file reader as a hand-edited file would be, reads
// every entry in every value form, changes one and writes the text back.
#include "Exception.h"
#include "LxConfigFiles.h"

#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/fuzz.ini");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return 0;
    file.write(reinterpret_cast<const char*>(data), qint64(size));
    file.close();
    try {
        TLxConfigFile config(path, false);
        for (const QString& section : config.SectionNames()) {
            QStringList keys;
            config.ReadSection(section, keys);
            for (const QString& key : keys) {
                try {
                    config.ReadString(section, key, QString());
                } catch (const Exception&) {
                }
                config.ReadInteger(section, key, 0);
                config.ReadDateTime(section, key, 0.0);
            }
        }
        config.WriteString(QStringLiteral("Velloria"), QStringLiteral("LastFolder"),
                           QStringLiteral(" a=b%\t"));
        config.UpdateFile();
    } catch (const Exception&) {
    }
    return 0;
}
