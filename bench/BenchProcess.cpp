#include "BenchProcess.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cstdio>

namespace {

// A field of a process's status file in MiB; -1 when the file or the field is not there.
double StatusFieldMiB(const QString& fileName, const QByteArray& field) {
    QFile status(fileName);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

double StatusMiB(const QByteArray& field) {
    const double value = StatusFieldMiB(QStringLiteral("/proc/self/status"), field);
    if (value < 0)
        qFatal("no %s in /proc/self/status", field.constData());
    return value;
}

} // namespace

TFigures RunInChild(const QStringList& arguments) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VELLORIA_BENCH_CHILD"), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(),
                QStringList{QStringLiteral("child")} + arguments);
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit ||
        child.exitCode() != 0)
        qFatal("the case %s failed", qPrintable(arguments.join(QLatin1Char(' '))));
    TFigures figures;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 3 && parts[0] == "figure")
            figures.insert(QString::fromUtf8(parts[1]), parts[2].toDouble());
    }
    return figures;
}

bool IsChild() {
    return qEnvironmentVariableIsSet("VELLORIA_BENCH_CHILD");
}

void PutFigure(const QString& name, double value) {
    std::printf("figure %s %.6f\n", qPrintable(name), value);
    std::fflush(stdout);
}

double PeakResidentMiB() {
    return StatusMiB("VmHWM");
}

double ProcessPeakMiB(qint64 pid) {
    return std::max(StatusFieldMiB(QStringLiteral("/proc/%1/status").arg(pid), "VmHWM"), 0.0);
}

double ResidentMiB() {
    return StatusMiB("VmRSS");
}

QString LoadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(file.readAll()).section(QLatin1Char(' '), 0, 2);
}
