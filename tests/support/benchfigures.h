#pragma once

// The measures the benchmarks share. CPU time rather than the wall clock: on a machine shared
// with other jobs the wall clock says more about the neighbours than about the program.

#include <QVector>

#include <functional>

namespace testsupport {

// CPU time the process has used so far, in milliseconds.
double cpuMs();
// Median CPU milliseconds of `rounds` runs of `work`.
double medianCpuMs(int rounds, const std::function<void()> &work);
// The middle value (the upper one of an even count); 0 for none.
double median(QVector<double> values);
// Resident memory of the process in KiB, -1 when the system does not say.
long residentKb();

} // namespace testsupport
