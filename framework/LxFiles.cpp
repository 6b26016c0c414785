#include "LxFiles.h"

#include "UserFolders.h"

#include <QDir>

bool FindFiles(const QString& folder, const QString& mask, QStringList& list, bool fullPaths) {
    QDir dir(folder);
    dir.setNameFilters({mask});
    dir.setFilter(QDir::Files);
    dir.setSorting(QDir::Unsorted);
    const QString prefix = fullPaths ? IncludeTrailingPathDelimiter(folder) : QString();
    for (const QString& name : dir.entryList())
        list.append(prefix + name);
    return true;
}
