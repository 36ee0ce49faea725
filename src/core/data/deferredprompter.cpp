#include "core/data/deferredprompter.h"

#include "core/db/database.h"

namespace hemu {

void DeferredPrompter::warning(const QString &text)
{
    m_db.afterTransaction([this, text] { m_prompter.warning(text); });
}

void DeferredPrompter::information(const QString &text)
{
    m_db.afterTransaction([this, text] { m_prompter.information(text); });
}

void DeferredPrompter::message(const QString &text)
{
    m_db.afterTransaction([this, text] { m_prompter.message(text); });
}

} // namespace hemu
