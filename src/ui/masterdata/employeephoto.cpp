#include "ui/masterdata/employeephoto.h"

#include "core/dataset/dataset.h"
#include "core/filechooser.h"
#include "core/prompter.h"
#include "ui/widgets/errorreporter.h"
#include "ui/widgets/fieldbinders.h"

#include <QMenu>

namespace hemu {

EmployeePhoto::EmployeePhoto(Dataset *employees, Prompter &prompter, FileChooser &files, QWidget *parent)
    : QLabel(parent)
    , m_employees(employees)
    , m_prompter(prompter)
    , m_files(files)
    , m_binder(new ImageBinder(this, employees, QStringLiteral("Picture")))
    , m_menu(new QMenu(this))
{
    setObjectName(QStringLiteral("DBImage2"));
    m_menu->setObjectName(QStringLiteral("PopupMenu2"));
    setFrameShape(QFrame::StyledPanel);
    setFixedSize(150, 190);
    setToolTip(QStringLiteral("右键：插入图片、清除图片"));
    QAction *insert = m_menu->addAction(QStringLiteral("插入图片"), this, &EmployeePhoto::insertPicture);
    insert->setObjectName(QStringLiteral("N1"));
    QAction *clear = m_menu->addAction(QStringLiteral("清除图片"), this, &EmployeePhoto::clearPicture);
    clear->setObjectName(QStringLiteral("N2"));
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) { m_menu->popup(mapToGlobal(at)); });
}

void EmployeePhoto::insertPicture()
{
    const QString path = m_files.chooseOpen(QStringLiteral("插入图片"));
    if (path.isEmpty())
        return;
    // The row is being edited from here on, whether the picture can be read or not.
    if (!m_employees->isEditing() && !ErrorReporter(this).report(m_employees->edit()))
        return;
    if (!m_binder->loadFromFile(path))
        m_prompter.warning(badPictureText());
}

void EmployeePhoto::clearPicture()
{
    if (!m_employees->isEditing() && !ErrorReporter(this).report(m_employees->edit()))
        return;
    m_binder->clearImage();
}

} // namespace hemu
