#pragma once

#include "core/prompter.h"

namespace hemu {

class Database;

/**
 * The messages of rules that run inside a write: each is shown once the outermost
 * transaction has ended (at once when none is open). A box shown while the transaction is
 * open would hold the file's write lock for as long as the user reads it, and every other
 * program's write would time out meanwhile. Questions cannot wait: they are asked at once,
 * and the rules ask theirs before a write begins.
 */
class DeferredPrompter : public Prompter
{
public:
    DeferredPrompter(Database &db, Prompter &prompter)
        : m_db(db), m_prompter(prompter)
    {
    }

    bool question(const QString &text) override { return m_prompter.question(text); }
    /// While set, what the rules say goes to `sink` at once instead (an import names each
    /// message with the row that caused it); nullptr ends that.
    void divertTo(Prompter *sink) { m_divert = sink; }
    void warning(const QString &text) override;
    void information(const QString &text) override;
    void message(const QString &text) override;

private:
    Database &m_db;
    Prompter &m_prompter;
    Prompter *m_divert = nullptr;
};

} // namespace hemu
