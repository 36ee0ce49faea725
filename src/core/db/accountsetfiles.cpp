#include "core/db/accountsetfiles.h"

#include "core/db/accountsetformat.h"
#include "core/db/database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

// The template lives in hemucore, a static library: its resource must be registered by hand.
static void registerTemplateResource()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(template);
        return true;
    }();
    (void)done;
}

namespace hemu::AccountSetFiles {

namespace {

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

bool syncPath(const QString &path, bool directory)
{
    const int fd = ::open(QFile::encodeName(path).constData(), directory ? O_RDONLY | O_DIRECTORY : O_RDONLY);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

/// Moves `from` over `to` in one step and makes both the data and the rename durable.
bool moveIntoPlace(const QString &from, const QString &to, QString *error)
{
    if (!syncPath(from, false)) {
        setError(error, QStringLiteral("无法写入磁盘。"));
        return false;
    }
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
        setError(error, QStringLiteral("无法替换文件 %1。").arg(to));
        return false;
    }
    syncPath(QFileInfo(to).absolutePath(), true);
    return true;
}

/// Moves `from` to `to`, which must not exist; an existing `to` makes it fail, whoever made it.
bool moveIntoFreePlace(const QString &from, const QString &to, QString *error)
{
    if (!syncPath(from, false)) {
        setError(error, QStringLiteral("无法写入磁盘。"));
        return false;
    }
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    int rc = ::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE);
    if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
        // A file system without the flag: a hard link is refused just the same by an existing name.
        rc = ::link(source.constData(), target.constData());
        if (rc == 0)
            ::unlink(source.constData());
    }
    if (rc != 0) {
        setError(error, errno == EEXIST ? QStringLiteral("文件 %1 已经存在，不会覆盖它。").arg(to)
                                        : QStringLiteral("无法写入文件 %1。").arg(to));
        return false;
    }
    syncPath(QFileInfo(to).absolutePath(), true);
    return true;
}

/// A not-yet-existing scratch name in the folder of `dest`, removed again if left behind.
class ScratchFile
{
public:
    explicit ScratchFile(const QString &dest)
    {
        QTemporaryFile t(QFileInfo(dest).absolutePath() + QStringLiteral("/.hemu-XXXXXX.part"));
        t.setAutoRemove(false);
        if (t.open()) {
            m_path = t.fileName();
            t.close();
        }
    }
    ~ScratchFile()
    {
        if (m_path.isEmpty() || m_kept)
            return;
        // With whatever SQLite left beside it, should the file have been written as a database.
        for (const char *suffix : {"", "-journal", "-wal", "-shm"})
            QFile::remove(m_path + QLatin1String(suffix));
    }
    bool isValid() const { return !m_path.isEmpty(); }
    QString path() const { return m_path; }
    void keep() { m_kept = true; }

private:
    QString m_path;
    bool m_kept = false;
};

/// The name `path` will have once its folder's links are followed: a rename into that
/// folder replaces exactly this entry.
QString resolvedPath(const QString &path)
{
    const QFileInfo info(path);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.absoluteFilePath() : folder + QLatin1Char('/') + info.fileName();
}

/// The blank template at `path` (the scratch name, which the template's copy takes over).
bool writeTemplate(const QString &path, QString *error)
{
    QFile::remove(path);
    registerTemplateResource();
    if (!QFile::copy(QStringLiteral(":/hemu/blank.xb"), path)) {
        setError(error, QStringLiteral("无法写入模板。"));
        return false;
    }
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                    | QFileDevice::ReadOther);
    return true;
}

/// The template copied to a scratch file beside `dest`, filled and checked when there is a
/// `fill`, then moved to `dest`: over an existing file with `replace`, otherwise never.
bool installFromTemplate(const QString &dest, const Filler &fill, bool replace, QString *error)
{
    ScratchFile scratch(dest);
    if (!scratch.isValid()) {
        setError(error, QStringLiteral("无法在目标文件夹中写入。"));
        return false;
    }
    if (!writeTemplate(scratch.path(), error))
        return false;
    if (fill) {
        if (!fill(scratch.path(), error))
            return false;
        if (!isSoundAccountSet(scratch.path())) {
            setError(error, QStringLiteral("新套帐未通过完整性检查。"));
            return false;
        }
    }
    if (!(replace ? moveIntoPlace : moveIntoFreePlace)(scratch.path(), dest, error))
        return false;
    scratch.keep();
    return true;
}

bool backupInto(sqlite3 *source, const QString &target, QString *error)
{
    sqlite3 *dest = nullptr;
    const QByteArray name = QFile::encodeName(target);
    if (sqlite3_open_v2(name.constData(), &dest, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        sqlite3_close(dest);
        setError(error, QStringLiteral("无法创建文件。"));
        return false;
    }
    sqlite3_backup *backup = sqlite3_backup_init(dest, "main", source, "main");
    int rc = SQLITE_ERROR;
    if (backup) {
        // Whole database in one step: the copy is one consistent snapshot.
        rc = sqlite3_backup_step(backup, -1);
        sqlite3_backup_finish(backup);
    }
    const bool ok = rc == SQLITE_DONE && sqlite3_exec(dest, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!ok)
        setError(error, QString::fromUtf8(sqlite3_errmsg(dest)));
    sqlite3_close(dest);
    return ok;
}

} // namespace

bool isSoundAccountSet(const QString &path, bool full)
{
    if (probeAccountSet(path) != ProbeResult::Ok)
        return false;
    sqlite3 *check = nullptr;
    bool ok = sqlite3_open_v2(QFile::encodeName(path).constData(), &check, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK;
    sqlite3_stmt *stmt = nullptr;
    ok = ok && sqlite3_prepare_v2(check, full ? "PRAGMA integrity_check(1)" : "PRAGMA quick_check(1)", -1, &stmt, nullptr) == SQLITE_OK
        && sqlite3_step(stmt) == SQLITE_ROW
        && qstrcmp(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)), "ok") == 0;
    sqlite3_finalize(stmt);
    sqlite3_close(check);
    return ok;
}

bool createBlank(const QString &dest, QString *error)
{
    return installFromTemplate(dest, {}, true, error);
}

bool createNew(const QString &dest, const Filler &fill, QString *error)
{
    const QFileInfo target(dest);
    if (target.exists() || target.isSymLink()) {
        setError(error, QStringLiteral("文件 %1 已经存在，不会覆盖它。").arg(dest));
        return false;
    }
    return installFromTemplate(dest, fill, false, error);
}

bool copyOpen(const Database &source, const QString &dest, QString *error)
{
    sqlite3 *handle = source.handle();
    if (!handle) {
        setError(error, QStringLiteral("没有打开的套帐。"));
        return false;
    }
    if (resolvedPath(dest) == resolvedPath(source.path())) {
        setError(error, QStringLiteral("目标文件就是当前套帐。"));
        return false;
    }
    ScratchFile scratch(dest);
    if (!scratch.isValid()) {
        setError(error, QStringLiteral("无法在目标文件夹中写入。"));
        return false;
    }
    if (!backupInto(handle, scratch.path(), error))
        return false;
    // The scratch file was made private; the copy gets the permissions of the set it copies.
    QFile::setPermissions(scratch.path(), QFile::permissions(source.path()));
    if (!moveIntoPlace(scratch.path(), dest, error))
        return false;
    scratch.keep();
    return true;
}

bool installVerifiedCopy(const QString &from, const QString &target, QString *error)
{
    ScratchFile scratch(target);
    if (!scratch.isValid()) {
        setError(error, QStringLiteral("无法在目标文件夹中写入。"));
        return false;
    }
    QFile::remove(scratch.path());
    if (!QFile::copy(from, scratch.path())) {
        setError(error, QStringLiteral("无法复制 %1。").arg(QFileInfo(from).fileName()));
        return false;
    }
    QFile::setPermissions(scratch.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                              | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    // The copy is judged, not its source: what was read from disk is what goes in place.
    if (!isSoundAccountSet(scratch.path())) {
        setError(error, QStringLiteral("%1 未通过完整性检查。").arg(QFileInfo(from).fileName()));
        return false;
    }
    if (!moveIntoPlace(scratch.path(), target, error))
        return false;
    scratch.keep();
    return true;
}

QString compactScratchName()
{
    return QStringLiteral("tmp.xb");
}

bool compact(const QString &path, QString *error)
{
    const QString source = QFileInfo(path).absoluteFilePath();
    const QString target = QFileInfo(source).absolutePath() + QLatin1Char('/') + compactScratchName();
    if (QFileInfo::exists(target)) {
        setError(error, QStringLiteral("文件夹中已有 %1。").arg(compactScratchName()));
        return false;
    }
    if (probeAccountSet(source) != ProbeResult::Ok) {
        setError(error, QStringLiteral("不是套帐文件。"));
        return false;
    }

    sqlite3 *db = nullptr;
    const QByteArray sourceName = QFile::encodeName(source);
    const QByteArray targetName = QFile::encodeName(target);
    bool ok = sqlite3_open_v2(sourceName.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK;
    // Leaving WAL mode needs the file to ourselves: this refuses a set another program has
    // open, and folds any pending write-ahead log into the file before it is copied.
    ok = ok && sqlite3_exec(db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr) == SQLITE_OK;
    if (ok) {
        sqlite3_stmt *stmt = nullptr;
        ok = sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &stmt, nullptr) == SQLITE_OK
            && sqlite3_step(stmt) == SQLITE_ROW
            && qstrcmp(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)), "delete") == 0;
        sqlite3_finalize(stmt);
    }
    const bool leftWal = ok;
    if (ok) {
        sqlite3_stmt *stmt = nullptr;
        ok = sqlite3_prepare_v2(db, "VACUUM INTO ?", -1, &stmt, nullptr) == SQLITE_OK
            && sqlite3_bind_text(stmt, 1, targetName.constData(), -1, SQLITE_TRANSIENT) == SQLITE_OK
            && sqlite3_step(stmt) == SQLITE_DONE;
        sqlite3_finalize(stmt);
    }
    if (!ok)
        setError(error, db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("无法打开文件。"));
    // Verification below may still fail: keep the original in the journal mode it had.
    auto restoreWal = [&] {
        if (!leftWal)
            return;
        sqlite3 *again = nullptr;
        if (sqlite3_open_v2(sourceName.constData(), &again, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK)
            sqlite3_exec(again, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        sqlite3_close(again);
    };
    sqlite3_close(db);

    // Check the new file as a reader would see it before it replaces anything.
    if (ok) {
        ok = isSoundAccountSet(target);
        if (!ok)
            setError(error, QStringLiteral("压缩后的文件校验失败。"));
    }
    if (ok)
        ok = moveIntoPlace(target, source, error);
    if (!ok) {
        if (QFileInfo::exists(target))
            QFile::remove(target);
        restoreWal();
    }
    return ok;
}

} // namespace hemu::AccountSetFiles
