#pragma once

#include "core/prompter.h"

#include <QMessageBox>
#include <QPointer>

class QWidget;

namespace hemu {

/** The program's message boxes: the Prompter that real users answer. */
class MessageBoxPrompter : public Prompter
{
public:
    /// Boxes are centred on `parent`, or on the active window when there is none.
    explicit MessageBoxPrompter(QWidget *parent = nullptr);
    void setParentWidget(QWidget *parent) { m_parent = parent; }

    bool question(const QString &text) override;
    void warning(const QString &text) override;
    void information(const QString &text) override;
    void message(const QString &text) override;

private:
    QMessageBox::StandardButton show(Kind kind, QMessageBox::Icon icon, const QString &text,
                                     QMessageBox::StandardButtons buttons);

    QPointer<QWidget> m_parent;
};

} // namespace hemu
