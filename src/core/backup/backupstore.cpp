#include "core/backup/backupstore.h"

#include "core/backup/backuprotation.h"
#include "core/db/accountsetfiles.h"
#include "core/db/accountsetformat.h"
#include "core/db/database.h"
#include "core/db/refusals.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QUrl>
#include <sqlite3.h>

namespace hemu {

namespace {

const QString TimeFormat = QStringLiteral("yyyyMMdd-HHmmss");
const QString BeforeRestoreMark = QStringLiteral("-恢复前");

QSettings userSettings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("hemu"), QStringLiteral("backups"));
}

/// One group per set, named by its full path (a key may not hold '/').
QString settingsGroup(const QString &setPath)
{
    QFileInfo info(setPath);
    const QString canonical = info.canonicalFilePath();
    return QString::fromLatin1(QUrl::toPercentEncoding(canonical.isEmpty() ? info.absoluteFilePath() : canonical));
}

QString baseName(const QString &setPath)
{
    return QFileInfo(setPath).completeBaseName();
}

QRegularExpression namePattern(const QString &setPath)
{
    return QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(baseName(setPath))
                              + QStringLiteral("-(\\d{8}-\\d{6})(?:-\\d+)?(") + BeforeRestoreMark + QStringLiteral(")?")
                              + QRegularExpression::escape(AccountSetFormat::Extension) + QStringLiteral("$"));
}

/// Runs `sql` on `h` and gives its first column as text; false on an error.
bool firstText(sqlite3 *h, const char *sql, QByteArray *text, int *rc = nullptr)
{
    sqlite3_stmt *stmt = nullptr;
    int code = sqlite3_prepare_v2(h, sql, -1, &stmt, nullptr);
    if (code == SQLITE_OK)
        code = sqlite3_step(stmt);
    const bool ok = code == SQLITE_ROW;
    if (ok && text)
        *text = QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
    if (rc)
        *rc = ok ? SQLITE_OK : sqlite3_extended_errcode(h);
    sqlite3_finalize(stmt);
    return ok;
}

/// A byte copy, replacing `to`.
bool copyBytes(const QString &from, const QString &to)
{
    QFile::remove(to);
    return QFile::copy(from, to);
}

int suspensions = 0; // NoAutomaticBackups alive; the program's work is on one thread

} // namespace

NoAutomaticBackups::NoAutomaticBackups()
{
    ++suspensions;
}

NoAutomaticBackups::~NoAutomaticBackups()
{
    --suspensions;
}

bool NoAutomaticBackups::active()
{
    return suspensions > 0;
}

BackupSettings BackupSettings::load(const QString &setPath)
{
    BackupSettings s;
    QSettings settings = userSettings();
    settings.beginGroup(settingsGroup(setPath));
    s.folder = settings.value(QStringLiteral("folder")).toString();
    bool ok = false;
    const int keep = settings.value(QStringLiteral("keepLast")).toInt(&ok);
    // A number that makes no sense keeps the default: no setting may empty the folder.
    if (ok && keep >= 1 && keep <= 1000)
        s.keepLast = keep;
    return s;
}

bool BackupSettings::save(const QString &setPath, const BackupSettings &s)
{
    QSettings settings = userSettings();
    settings.beginGroup(settingsGroup(setPath));
    settings.setValue(QStringLiteral("folder"), s.folder);
    settings.setValue(QStringLiteral("keepLast"), s.keepLast);
    settings.endGroup();
    settings.sync();
    return settings.status() == QSettings::NoError;
}

BackupStore::BackupStore(const QString &setPath)
    : BackupStore(setPath, BackupSettings::load(setPath))
{
}

BackupStore::BackupStore(const QString &setPath, const BackupSettings &settings)
    : m_setPath(QFileInfo(setPath).absoluteFilePath())
    , m_settings(settings)
    , m_folder(settings.folder.isEmpty() ? defaultFolder(setPath) : QFileInfo(settings.folder).absoluteFilePath())
{
    if (m_settings.keepLast < 1)
        m_settings.keepLast = BackupRotation::DefaultKeepLast;
}

QString BackupStore::defaultFolder(const QString &setPath)
{
    const QFileInfo info(setPath);
    return info.absolutePath() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".backups");
}

QList<BackupEntry> BackupStore::list() const
{
    QList<BackupEntry> entries;
    const QRegularExpression pattern = namePattern(m_setPath);
    const QFileInfoList files = QDir(m_folder).entryInfoList(QDir::Files, QDir::Name | QDir::Reversed);
    for (const QFileInfo &file : files) {
        const QRegularExpressionMatch m = pattern.match(file.fileName());
        if (!m.hasMatch())
            continue;
        const QDateTime at = QDateTime::fromString(m.captured(1), TimeFormat);
        if (!at.isValid())
            continue;
        entries.append({file.absoluteFilePath(), at, file.size(), !m.captured(2).isEmpty()});
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const BackupEntry &a, const BackupEntry &b) { return a.takenAt > b.takenAt; });
    return entries;
}

std::optional<BackupEntry> BackupStore::newestSound() const
{
    const QList<BackupEntry> entries = list();
    for (const BackupEntry &e : entries) {
        if (isSound(e.path))
            return e;
    }
    return std::nullopt;
}

QString BackupStore::newName(const QDateTime &now, bool beforeRestore) const
{
    const QString stem = m_folder + QLatin1Char('/') + baseName(m_setPath) + QLatin1Char('-') + now.toString(TimeFormat);
    const QString mark = beforeRestore ? BeforeRestoreMark : QString();
    QString name = stem + mark + AccountSetFormat::Extension;
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = stem + QLatin1Char('-') + QString::number(n) + mark + AccountSetFormat::Extension;
    return name;
}

BackupStore::Result BackupStore::backUp(const Database &db, const QDateTime &now)
{
    Result result;
    if (NoAutomaticBackups::active()) {
        result.outcome = Outcome::Unchanged;
        return result;
    }
    if (!db.isOpen()) {
        result.error = QStringLiteral("没有打开的套帐。");
        return result;
    }
    if (!QDir().mkpath(m_folder)) {
        result.error = QStringLiteral("无法建立备份文件夹 %1。").arg(QDir::toNativeSeparators(m_folder));
        return result;
    }
    const QList<BackupEntry> before = list();
    const QString target = newName(now, false);
    QString error;
    if (!AccountSetFiles::copyOpen(db, target, &error)) {
        result.error = error.isEmpty() ? QStringLiteral("无法写入备份文件。") : error;
        return result;
    }
    // A copy of a damaged set must never push a good backup out of the rotation.
    if (!isSound(target, false)) {
        QFile::remove(target);
        result.error = QStringLiteral("备份的副本未通过完整性检查，套帐文件可能已损坏。");
        return result;
    }
    if (!before.isEmpty() && sameContent(target, before.first().path)) {
        QFile::remove(target);
        result.outcome = Outcome::Unchanged;
        return result;
    }
    result.outcome = Outcome::Made;
    result.path = target;
    rotate(now);
    return result;
}

void BackupStore::rotate(const QDateTime &now)
{
    const QList<BackupEntry> entries = list();
    QList<QDateTime> times;
    for (const BackupEntry &e : entries)
        times.append(e.takenAt);
    const QList<bool> kept = BackupRotation::keep(times, now, m_settings.keepLast);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (!kept[i])
            QFile::remove(entries[i].path);
    }
}

bool BackupStore::restore(const QString &backupPath, QString *error, const QDateTime &now)
{
    auto refuse = [&](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    m_preRestorePath.clear();
    if (QFileInfo(backupPath).absoluteFilePath() == m_setPath)
        return refuse(QStringLiteral("备份文件就是当前套帐。"));
    if (!isSound(backupPath))
        return refuse(QStringLiteral("备份文件 %1 未通过完整性检查，不能用来恢复。").arg(QFileInfo(backupPath).fileName()));
    if (!QDir().mkpath(m_folder))
        return refuse(QStringLiteral("无法建立备份文件夹 %1。").arg(QDir::toNativeSeparators(m_folder)));

    const QString wal = m_setPath + QStringLiteral("-wal");
    const QString journal = m_setPath + QStringLiteral("-journal");
    if (QFileInfo::exists(m_setPath)) {
        // Leaving the write-ahead log needs the file to ourselves, so this both refuses a set
        // another program has open and folds the log into the file that is copied.
        bool folded = false;
        if (probeAccountSet(m_setPath) == ProbeResult::Ok && foreignLeftover(m_setPath).isEmpty()) {
            sqlite3 *h = nullptr;
            int rc = sqlite3_open_v2(QFile::encodeName(m_setPath).constData(), &h, SQLITE_OPEN_READWRITE, nullptr);
            QByteArray mode;
            if (rc == SQLITE_OK) {
                sqlite3_busy_timeout(h, 2000);
                firstText(h, "PRAGMA journal_mode=DELETE", &mode, &rc);
            }
            sqlite3_close(h);
            const int primary = rc & 0xff;
            if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED || (rc == SQLITE_OK && mode != "delete"))
                return refuse(QStringLiteral("套帐正被其他程序使用，不能恢复。请先在其他程序中关闭它。"));
            folded = rc == SQLITE_OK;
        }
        m_preRestorePath = newName(now, true);
        if (!copyBytes(m_setPath, m_preRestorePath)) {
            QFile::remove(m_preRestorePath);
            m_preRestorePath.clear();
            return refuse(QStringLiteral("无法先备份当前套帐，没有恢复。"));
        }
        if (!folded) {
            // A damaged set: what lies beside it goes with its copy, and must not be played
            // into the restored file.
            for (const QString &side : {wal, journal}) {
                const QString suffix = side.mid(m_setPath.size());
                if (QFileInfo::exists(side) && !QFile::rename(side, m_preRestorePath + suffix))
                    return refuse(QStringLiteral("无法移走 %1，没有恢复。").arg(QFileInfo(side).fileName()));
            }
        }
    }
    QFile::remove(m_setPath + QStringLiteral("-shm"));
    QString installError;
    if (!AccountSetFiles::installVerifiedCopy(backupPath, m_setPath, &installError))
        return refuse(installError);
    return true;
}

int BackupStore::billCount(const QString &path)
{
    sqlite3 *h = nullptr;
    int count = -1;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &h, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        QByteArray text;
        if (firstText(h, "SELECT (SELECT count(*) FROM RuKuDan) + (SELECT count(*) FROM DiaoBoDan)"
                         " + (SELECT count(*) FROM ChuKuDan)", &text))
            count = text.toInt();
    }
    sqlite3_close(h);
    return count;
}

bool BackupStore::isSound(const QString &path, bool full)
{
    return AccountSetFiles::isSoundAccountSet(path, full);
}

bool BackupStore::sameContent(const QString &a, const QString &b)
{
    QFile fa(a), fb(b);
    if (fa.size() != fb.size() || !fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly))
        return false;
    constexpr qint64 Chunk = 1 << 20;
    bool first = true;
    while (!fa.atEnd()) {
        QByteArray x = fa.read(Chunk);
        QByteArray y = fb.read(Chunk);
        if (x.size() != y.size())
            return false;
        if (first) {
            // The change counter and the version that wrote it differ between two copies of
            // the same content; nothing else in the header does.
            for (QByteArray *h : {&x, &y}) {
                if (h->size() >= 100) {
                    h->replace(24, 4, QByteArray(4, '\0'));
                    h->replace(92, 8, QByteArray(8, '\0'));
                }
            }
            first = false;
        }
        if (x != y)
            return false;
    }
    return true;
}

} // namespace hemu
