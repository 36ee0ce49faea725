#include "bench/memory.h"

#include <QFile>
#include <malloc.h>

namespace hemu::bench::Memory {

namespace {
double statusMb(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix(key);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toDouble() / 1024.0; // kB
    }
    return -1;
}
} // namespace

double currentRssMb() { return statusMb("VmRSS:"); }
double peakRssMb() { return statusMb("VmHWM:"); }

bool resetPeak()
{
    // "5" resets the high-water mark to the current resident size (Linux 4.0 and later).
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    return refs.open(QIODevice::WriteOnly) && refs.write("5") == 1;
}

void releaseFreed()
{
    malloc_trim(0);
}

} // namespace hemu::bench::Memory
