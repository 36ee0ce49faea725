#include "core/db/writeaheadlog.h"

#include <QFile>
#include <QFileInfo>

namespace hemu {

namespace {

constexpr int LogHeaderSize = 32;
constexpr int FrameHeaderSize = 24;
constexpr quint32 MagicLittleEndian = 0x377f0682;
constexpr quint32 MagicBigEndian = 0x377f0683;

quint32 bigEndian32(const char *p)
{
    return (quint32(quint8(p[0])) << 24) | (quint32(quint8(p[1])) << 16) | (quint32(quint8(p[2])) << 8) | quint32(quint8(p[3]));
}

quint32 littleEndian32(const char *p)
{
    return (quint32(quint8(p[3])) << 24) | (quint32(quint8(p[2])) << 16) | (quint32(quint8(p[1])) << 8) | quint32(quint8(p[0]));
}

/// The log's running checksum: 32-bit words in the byte order the magic number names,
/// taken in pairs.
struct Checksum
{
    bool bigEndian = true;
    quint32 s0 = 0;
    quint32 s1 = 0;

    void add(const char *data, qsizetype size)
    {
        for (qsizetype i = 0; i + 8 <= size; i += 8) {
            const quint32 a = bigEndian ? bigEndian32(data + i) : littleEndian32(data + i);
            const quint32 b = bigEndian ? bigEndian32(data + i + 4) : littleEndian32(data + i + 4);
            s0 += a + s1;
            s1 += b + s0;
        }
    }
    bool matches(const char *stored) const { return bigEndian32(stored) == s0 && bigEndian32(stored + 4) == s1; }
};

bool validPageSize(quint32 size)
{
    return size >= 512 && size <= 65536 && (size & (size - 1)) == 0;
}

} // namespace

WriteAheadLog WriteAheadLog::read(const QString &path)
{
    WriteAheadLog log;
    QFile file(path);
    log.present = QFileInfo(path).isFile();
    if (!log.present || !file.open(QIODevice::ReadOnly))
        return log;
    const QByteArray header = file.read(LogHeaderSize);
    if (header.size() < LogHeaderSize)
        return log;
    const quint32 magic = bigEndian32(header.constData());
    if (magic != MagicLittleEndian && magic != MagicBigEndian)
        return log;
    Checksum sum;
    sum.bigEndian = magic == MagicBigEndian;
    sum.add(header.constData(), 24);
    const quint32 pageSize = bigEndian32(header.constData() + 8);
    if (!sum.matches(header.constData() + 24) || !validPageSize(pageSize))
        return log;
    log.pageSize = pageSize;

    QSet<quint32> pending;
    QByteArray pendingFirstPage;
    for (;;) {
        const QByteArray frame = file.read(FrameHeaderSize + pageSize);
        if (frame.size() < qsizetype(FrameHeaderSize + pageSize))
            break;
        const char *f = frame.constData();
        const quint32 page = bigEndian32(f);
        const quint32 commitSize = bigEndian32(f + 4);
        if (page == 0 || f[8] != header[16] || f[9] != header[17] || f[10] != header[18] || f[11] != header[19]
            || f[12] != header[20] || f[13] != header[21] || f[14] != header[22] || f[15] != header[23])
            break;
        sum.add(f, 8);
        sum.add(f + FrameHeaderSize, pageSize);
        if (!sum.matches(f + 16))
            break;
        pending.insert(page);
        if (page == 1)
            pendingFirstPage = frame.mid(FrameHeaderSize, 100);
        if (commitSize != 0) {
            log.replayable = true;
            log.databasePages = commitSize;
            log.pages.unite(pending);
            pending.clear();
            if (!pendingFirstPage.isEmpty())
                log.firstPageHeader = pendingFirstPage;
            pendingFirstPage.clear();
        }
    }
    return log;
}

} // namespace hemu
