#pragma once

#include "core/filechooser.h"

#include <QPointer>

class QFileDialog;
class QWidget;

namespace hemu {

class Prompter;

/** The open and save dialogs of account-set files, shown as QFileDialog. */
class DialogFileChooser : public FileChooser
{
public:
    /// `prompter` asks before an existing file is overwritten.
    explicit DialogFileChooser(Prompter &prompter, QWidget *parent = nullptr);
    void setParentWidget(QWidget *parent) { m_parent = parent; }
    /// Where the next dialog starts; afterwards the folder of the last choice.
    void setFolder(const QString &folder) { m_folder = folder; }

    QString chooseOpen(const QString &title, const QString &filter = {}) override;
    /// Shows the dialog again after `canClose` refuses a name or the user declines to
    /// overwrite an existing file.
    QString chooseSave(const QString &title, const QString &defaultSuffix, const CanClose &canClose) override;

private:
    /// Runs `dialog` modally; the chosen path, or empty on cancel.
    QString run(QFileDialog &dialog, const QString &filter = {});

    Prompter &m_prompter;
    QPointer<QWidget> m_parent;
    QString m_folder;
};

} // namespace hemu
