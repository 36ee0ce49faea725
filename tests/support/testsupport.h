#pragma once

#include <QLocale>
#include <QString>
#include <QTemporaryDir>

namespace hemu::test {

/** A temporary folder holding a blank account set, removed with the object. */
class TempAccountSet
{
public:
    TempAccountSet();
    QString path() const { return m_path; }
    QString dir() const { return m_dir.path(); }
    /// A path in the same temporary folder.
    QString file(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

/// Whole content of a file, for byte-for-byte comparisons.
QByteArray fileBytes(const QString &path);
/// Writes `bytes` to `path`, replacing it.
void writeBytes(const QString &path, const QByteArray &bytes);

} // namespace hemu::test

namespace hemu::test {
/// Shortest text that reads back as exactly `v`: compares doubles to the last digit
/// (QCOMPARE on doubles is fuzzy).
inline QString exact(double v)
{
    return QString::number(v, 'g', QLocale::FloatingPointShortest);
}
} // namespace hemu::test
