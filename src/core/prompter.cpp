#include "core/prompter.h"

namespace hemu {

QString Prompter::title(Kind kind)
{
    switch (kind) {
    case Kind::Question: return QStringLiteral("注意");
    case Kind::Warning: return QStringLiteral("警告");
    case Kind::Information: return QStringLiteral("祝贺");
    case Kind::Plain: return QStringLiteral("Version 2.0");
    }
    return {};
}

bool ScriptedPrompter::question(const QString &text)
{
    record(Kind::Question, text);
    return m_answers.isEmpty() ? m_defaultAnswer : m_answers.takeFirst();
}

void ScriptedPrompter::warning(const QString &text) { record(Kind::Warning, text); }
void ScriptedPrompter::information(const QString &text) { record(Kind::Information, text); }
void ScriptedPrompter::message(const QString &text) { record(Kind::Plain, text); }

QStringList ScriptedPrompter::texts() const
{
    QStringList out;
    for (const Entry &e : m_entries)
        out << e.text;
    return out;
}

void ScriptedPrompter::record(Kind kind, const QString &text)
{
    m_entries.append({kind, text});
    if (onShown)
        onShown(m_entries.last());
}

} // namespace hemu
