#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace hemu {

/**
 * How core rules talk to the user: the three message boxes of the program and the plain
 * message box titled with the application title. The GUI answers with QMessageBox; tests
 * and hemu-cli use ScriptedPrompter.
 */
class Prompter
{
public:
    enum class Kind { Question, Warning, Information, Plain };

    virtual ~Prompter() = default;
    /// Question box "注意", Yes/No. Returns true for Yes.
    virtual bool question(const QString &text) = 0;
    /// Warning box "警告", OK.
    virtual void warning(const QString &text) = 0;
    /// Information box "祝贺", OK.
    virtual void information(const QString &text) = 0;
    /// Plain message box titled "Version 2.0".
    virtual void message(const QString &text) = 0;

    static QString title(Kind kind);
};

/** A Prompter that records every text and answers questions from a queue. */
class ScriptedPrompter : public Prompter
{
public:
    struct Entry
    {
        Kind kind;
        QString text;
    };

    /// Answers given to questions once the queue is empty.
    void setDefaultAnswer(bool yes) { m_defaultAnswer = yes; }
    void queueAnswer(bool yes) { m_answers.append(yes); }

    bool question(const QString &text) override;
    void warning(const QString &text) override;
    void information(const QString &text) override;
    void message(const QString &text) override;

    const QList<Entry> &entries() const { return m_entries; }
    QStringList texts() const;
    QString lastText() const { return m_entries.isEmpty() ? QString() : m_entries.last().text; }
    void clear() { m_entries.clear(); }
    /// Called after each recorded text; a test may act while a box would be on screen.
    std::function<void(const Entry &)> onShown;

private:
    void record(Kind kind, const QString &text);
    QList<bool> m_answers;
    QList<Entry> m_entries;
    bool m_defaultAnswer = true;
};

} // namespace hemu
