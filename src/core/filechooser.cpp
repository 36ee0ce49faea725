#include "core/filechooser.h"

namespace hemu {

QString ScriptedFileChooser::chooseOpen(const QString &title, const QString &)
{
    m_titles << title;
    return m_answers.isEmpty() ? QString() : m_answers.takeFirst();
}

QString ScriptedFileChooser::chooseSave(const QString &title, const QString &, const CanClose &canClose)
{
    m_titles << title;
    while (!m_answers.isEmpty()) {
        const QString name = m_answers.takeFirst();
        if (name.isEmpty())
            return {};
        if (!canClose || canClose(name))
            return name;
    }
    return {};
}

} // namespace hemu
