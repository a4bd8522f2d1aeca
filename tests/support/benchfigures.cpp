#include "support/benchfigures.h"

#include <QFile>

#include <algorithm>
#include <ctime>

namespace testsupport {

double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

double medianCpuMs(int rounds, const std::function<void()> &work)
{
    QVector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        const double start = cpuMs();
        work();
        ms.append(cpuMs() - start);
    }
    return median(ms);
}

double median(QVector<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

long residentKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

} // namespace testsupport
