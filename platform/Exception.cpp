#include "Exception.h"

#include <QFileInfo>

void RaiseAssertion(const QString& text, const char* file, int line) {
    const QString unit = QFileInfo(QString::fromUtf8(file)).completeBaseName();
    throw EAssertionFailed(QStringLiteral("%1 (%2, line %3)").arg(text, unit).arg(line));
}
