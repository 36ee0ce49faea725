#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace hemu {

class Database;

/** Where a set's automatic backups go and how many stay; kept per set in the user's settings. */
struct BackupSettings
{
    /// Empty: the folder "<name>.backups" beside the set.
    QString folder;
    int keepLast = 20;

    static BackupSettings load(const QString &setPath);
    /// False when the settings could not be written.
    static bool save(const QString &setPath, const BackupSettings &settings);
};

/**
 * While one lives, backUp() takes no backup: a set that is being generated (demonstration
 * data, a benchmark) is nobody's books yet, and its carry-forward must not leave copies of it.
 */
class NoAutomaticBackups
{
public:
    NoAutomaticBackups();
    ~NoAutomaticBackups();
    NoAutomaticBackups(const NoAutomaticBackups &) = delete;
    NoAutomaticBackups &operator=(const NoAutomaticBackups &) = delete;
    static bool active();
};

/** One backup in a set's backup folder. */
struct BackupEntry
{
    QString path;
    QDateTime takenAt;
    qint64 size = 0;
    /// Made by a restore just before it replaced the set.
    bool beforeRestore = false;
};

/**
 * The backup folder of one account set: automatic backups taken through SQLite's backup API,
 * checked and rotated, the list the restore window shows, and the restore itself.
 */
class BackupStore
{
public:
    explicit BackupStore(const QString &setPath);
    BackupStore(const QString &setPath, const BackupSettings &settings);

    static QString defaultFolder(const QString &setPath);
    QString folder() const { return m_folder; }
    const BackupSettings &settings() const { return m_settings; }

    /// The backups this program made for the set, newest first. Other files are not ours.
    QList<BackupEntry> list() const;
    /// The newest backup that passes the full structure check.
    std::optional<BackupEntry> newestSound() const;

    enum class Outcome { Made, Unchanged, Failed };
    struct Result
    {
        Outcome outcome = Outcome::Failed;
        QString path;  // the new backup (Made)
        QString error; // why not (Failed), in the user's words
    };
    /// Copies the set open on `db` into the folder as one consistent snapshot, checks the copy
    /// and drops it again when it holds exactly what the newest backup holds; then removes
    /// what the rotation no longer keeps. `now` names the backup and dates the rotation.
    Result backUp(const Database &db, const QDateTime &now = QDateTime::currentDateTime());

    /// Puts the backup at `backupPath` in place of the set. The set must not be open in this
    /// program; another program holding it makes the restore refuse. The set as it was is
    /// first copied into the folder (kept even when damaged: it may be all there is), then
    /// a checked copy of the backup replaces it in one rename. On failure the set is as it was.
    bool restore(const QString &backupPath, QString *error, const QDateTime &now = QDateTime::currentDateTime());
    /// Where restore() put the set as it was, once it ran.
    QString preRestorePath() const { return m_preRestorePath; }

    /// Bills of the three kinds in the account set at `path`; -1 when it cannot be read.
    static int billCount(const QString &path);
    /// Whether the file at `path` is an account set that passes the structure check (the
    /// full one, or the quick one a new backup gets).
    static bool isSound(const QString &path, bool full = true);
    /// The two account-set files hold the same pages (SQLite's own counters aside).
    static bool sameContent(const QString &a, const QString &b);

private:
    /// A free name in the folder for a backup taken at `now`.
    QString newName(const QDateTime &now, bool beforeRestore) const;
    void rotate(const QDateTime &now);

    QString m_setPath;
    BackupSettings m_settings;
    QString m_folder;
    QString m_preRestorePath;
};

} // namespace hemu
