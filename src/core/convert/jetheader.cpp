#include "core/convert/jetheader.h"

#include <QFile>

namespace hemu::JetHeader {

bool isJet4(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // Page 0: the file format's magic, then the engine version at 0x14 (1 = Jet 4).
    static const char magic[] = "\x00\x01\x00\x00Standard Jet DB\x00";
    const QByteArray head = file.read(0x18);
    return head.size() == 0x18 && head.startsWith(QByteArray(magic, 20)) && head.at(0x14) == 1 && head.at(0x15) == 0
        && head.at(0x16) == 0 && head.at(0x17) == 0;
}

} // namespace hemu::JetHeader
