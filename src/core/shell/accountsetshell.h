#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace hemu {

class BaseData;
class FileChooser;
class ProgressSink;
class Prompter;

/** A dataset the open loop could not open: its kind name and component name. */
struct DatasetOpenFailure
{
    QString kindName;
    QString name;
};

/**
 * The account-set commands of the main window — open, close, new, backup, compact and
 * repair — and the state they keep. The window only shows and hides what the signals say.
 */
class AccountSetShell : public QObject
{
    Q_OBJECT
public:
    AccountSetShell(BaseData &base, Prompter &prompter, FileChooser &files, ProgressSink &busy,
                    QObject *parent = nullptr);

    /// Shows the login for `path` modally; true when a user logged in. The dialog connects
    /// `BaseData::MyADOCnn()` itself.
    std::function<bool(const QString &path)> loginGate;
    /// Opens every table and fixed-command dataset on the connection, in attachment order,
    /// stopping at the first that fails.
    std::function<std::optional<DatasetOpenFailure>()> openDatasets;
    /// Closes every dataset attached to the connection.
    std::function<void()> closeDatasets;
    /// Puts a display format on the floating-point fields of the goods views.
    std::function<void(const QString &format)> applyFormat;

    /// A file named on the command line: the next open takes it instead of asking.
    QString pendingPath;

    QString AccSetFileName;
    bool AccSetOpen = false;
    QString DataFormatText;

    void openAccountSet();
    void closeAccountSet();
    void newAccountSet();
    void backupAccountSet();
    void compactAccountSet();
    bool CloseAccSet();
    /// "恢复备份": after a question, replaces the open set by the backup at `backupPath`
    /// (the set as it was is copied into the backup folder first) and opens it again through
    /// the login. System administrators only. True when the set was replaced.
    bool restoreBackup(const QString &backupPath);
    bool SaveDlgCanClose(const QString &fileName);
    void ApplyDisplayFormat();
    /// After the first open at start-up: reads the stored format and applies it if set.
    void readStoredDisplayFormat();

signals:
    void accountSetOpened();
    void accountSetClosed();
    /// The login was abandoned: the program ends without the exit question.
    void terminateRequested();

private:
    /// Takes the automatic backup of the open set; a failure is said, never in the way.
    void autoBackup();
    /// The structure check of every open: a damaged set is said so, and the newest backup
    /// that passes the check is offered in its place.
    void checkBeforeOpening(const QString &path);
    void copyOpenSet(const QString &title, const QString &done, const QString &failed);

    BaseData &m_base;
    Prompter &m_prompter;
    FileChooser &m_files;
    ProgressSink &m_busy;
    bool m_skipCloseBackup = false;
};

} // namespace hemu
