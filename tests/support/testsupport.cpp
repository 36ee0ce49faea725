#include "support/testsupport.h"

#include "core/db/accountsetfiles.h"

#include <QFile>
#include <QtTest>

namespace hemu::test {

TempAccountSet::TempAccountSet()
{
    m_path = m_dir.filePath(QStringLiteral("books.xb"));
    QString error;
    if (!AccountSetFiles::createBlank(m_path, &error))
        qFatal("cannot create test account set: %s", qPrintable(error));
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    f.write(bytes);
}

} // namespace hemu::test
