#include "core/data/deferredprompter.h"

#include "core/db/database.h"

namespace hemu {

void DeferredPrompter::warning(const QString &text)
{
    if (m_divert) {
        m_divert->warning(text);
        return;
    }
    m_db.afterTransaction([this, text] { m_prompter.warning(text); });
}

void DeferredPrompter::information(const QString &text)
{
    if (m_divert) {
        m_divert->information(text);
        return;
    }
    m_db.afterTransaction([this, text] { m_prompter.information(text); });
}

void DeferredPrompter::message(const QString &text)
{
    if (m_divert) {
        m_divert->message(text);
        return;
    }
    m_db.afterTransaction([this, text] { m_prompter.message(text); });
}

} // namespace hemu
