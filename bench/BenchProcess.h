#pragma once
// Running one benchmark case in a process of its own, so that its first-time costs (the first
// large allocations, the first huge pages) and its peak memory belong to it alone.

#include <QMap>
#include <QString>
#include <QStringList>

// What a case measured, by name.
using TFigures = QMap<QString, double>;

// Runs this program again with "child" and the arguments and gives back the figures the child
// printed with PutFigure. The child's standard error passes through; stops the process when the
// child fails.
TFigures RunInChild(const QStringList& arguments);
// True in a process RunInChild started.
bool IsChild();
// In the child: hands one figure to the parent.
void PutFigure(const QString& name, double value);

// This process's peak and current resident set in MiB (VmHWM and VmRSS of /proc/self/status).
double PeakResidentMiB();
double ResidentMiB();
// Another process's peak resident set in MiB; 0 once it is gone.
double ProcessPeakMiB(qint64 pid);
// The machine's load averages over 1, 5 and 15 minutes, as /proc/loadavg gives them.
QString LoadAverage();
