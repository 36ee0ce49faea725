#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace hemu {

/**
 * The open and save file dialogs of the main window. The GUI shows QFileDialog; tests
 * queue file names. An empty result means the user cancelled.
 */
class FileChooser
{
public:
    /// Check a save dialog runs before it accepts a name: false keeps the dialog open.
    using CanClose = std::function<bool(const QString &path)>;

    virtual ~FileChooser() = default;
    /// `filter` lists the file types offered ("导入文件(*.csv *.xlsx)"); empty: account sets.
    virtual QString chooseOpen(const QString &title, const QString &filter = {}) = 0;
    /// Asks before overwriting an existing file; `canClose` may refuse a name.
    virtual QString chooseSave(const QString &title, const QString &defaultSuffix, const CanClose &canClose) = 0;
};

/** A FileChooser answering from a queue; an empty entry or an empty queue is a cancel. */
class ScriptedFileChooser : public FileChooser
{
public:
    void queue(const QString &path) { m_answers.append(path); }
    QString chooseOpen(const QString &title, const QString &filter = {}) override;
    /// Offers queued names to `canClose` one after another, as a user retyping would,
    /// until one is accepted or the queue runs out (a cancel).
    QString chooseSave(const QString &title, const QString &defaultSuffix, const CanClose &canClose) override;
    QStringList titles() const { return m_titles; }

private:
    QList<QString> m_answers;
    QStringList m_titles;
};

/**
 * Where long operations report: a caption while they run (the copy animation, the
 * totals log), text lines and a bar.
 */
class ProgressSink
{
public:
    virtual ~ProgressSink() = default;
    virtual void begin(const QString &caption) = 0;
    virtual void line(const QString &text) = 0;
    virtual void progress(qint64 done, qint64 total) = 0;
    virtual void end() = 0;
};

/** Progress that goes nowhere; also the base of recording sinks in tests. */
class NullProgress : public ProgressSink
{
public:
    void begin(const QString &) override {}
    void line(const QString &) override {}
    void progress(qint64, qint64) override {}
    void end() override {}
};

} // namespace hemu
