#include "ui/kit/childwindow.h"

#include "ui/shell/tfrmmain.h"
#include "ui/widgets/promptchannel.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

namespace hemu {

ChildWindow::ChildWindow(AppContext &context, const QString &objectName, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
{
    setObjectName(objectName);
    // Everything inside this window reports through the program's prompter, also while
    // the window is not yet placed in the main window.
    PromptChannel::attach(this, &context.prompter);
    PromptChannel::attachFiles(this, &context.files);
}

QMenu *ChildWindow::addMergedMenu(const QString &title, const QString &objectName)
{
    auto *menu = new QMenu(title, this);
    menu->setObjectName(objectName);
    menu->setProperty("mergeMenu", true);
    return menu;
}

void ChildWindow::centreOnMainWindow()
{
    if (auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget())) {
        const QMdiArea *area = frame->mdiArea();
        if (!area)
            return;
        const QRect room = area->viewport()->rect();
        frame->move(qMax(0, room.center().x() - frame->width() / 2), qMax(0, room.center().y() - frame->height() / 2));
        return;
    }
    const QRect main = m_context.main.frameGeometry();
    QRect own = frameGeometry();
    own.moveCenter(main.center());
    move(own.topLeft());
}

void ChildWindow::closeWindow()
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
        sub->close();
    else
        close();
}

void ChildWindow::closeEvent(QCloseEvent *event)
{
    if (!canClose()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

} // namespace hemu
