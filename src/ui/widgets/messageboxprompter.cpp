#include "ui/widgets/messageboxprompter.h"

#include <QAbstractButton>
#include <QApplication>

namespace hemu {

MessageBoxPrompter::MessageBoxPrompter(QWidget *parent)
    : m_parent(parent)
{
}

QMessageBox::StandardButton MessageBoxPrompter::show(Kind kind, QMessageBox::Icon icon, const QString &text,
                                                     QMessageBox::StandardButtons buttons)
{
    QWidget *parent = m_parent ? m_parent.data() : QApplication::activeWindow();
    QMessageBox box(icon, Prompter::title(kind), text, buttons, parent);
    // No Qt translations ship with the program: the button texts are set here.
    if (QAbstractButton *yes = box.button(QMessageBox::Yes))
        yes->setText(QStringLiteral("是"));
    if (QAbstractButton *no = box.button(QMessageBox::No))
        no->setText(QStringLiteral("否"));
    if (QAbstractButton *ok = box.button(QMessageBox::Ok))
        ok->setText(QStringLiteral("确定"));
    if (buttons & QMessageBox::Yes) {
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    }
    return QMessageBox::StandardButton(box.exec());
}

bool MessageBoxPrompter::question(const QString &text)
{
    return show(Kind::Question, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void MessageBoxPrompter::warning(const QString &text)
{
    show(Kind::Warning, QMessageBox::Warning, text, QMessageBox::Ok);
}

void MessageBoxPrompter::information(const QString &text)
{
    show(Kind::Information, QMessageBox::Information, text, QMessageBox::Ok);
}

void MessageBoxPrompter::message(const QString &text)
{
    show(Kind::Plain, QMessageBox::NoIcon, text, QMessageBox::Ok);
}

} // namespace hemu
