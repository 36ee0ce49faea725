#include "support/appfixture.h"

#include "core/shell/accountsetshell.h"
#include "ui/shell/tfrmmain.h"
#include "ui/shell/tfrmpassworddlg.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QtTest>

namespace hemu::test {

QObject *findControlObject(const QObject *root, const QString &name, const QMetaObject &type)
{
    if (!root)
        qFatal("control %s looked for in no window", qPrintable(name));
    const QList<QObject *> found = root->findChildren<QObject *>(name);
    for (QObject *object : found) {
        if (type.cast(object))
            return object;
    }
    if (root->objectName() == name && type.cast(const_cast<QObject *>(root)))
        return const_cast<QObject *>(root);
    qFatal("window %s has no %s called %s%s", qPrintable(root->objectName()), type.className(), qPrintable(name),
           found.isEmpty() ? "" : " (one of another type)");
    return nullptr;
}

AppFixture::AppFixture()
    : app(std::make_unique<HemuApp>(AppSeams{&prompter, &files}))
{
    // A test closes windows; the next one still needs the application.
    QApplication::setQuitOnLastWindowClosed(false);
}

AppFixture::~AppFixture()
{
    app.reset();
}

bool AppFixture::start(const QString &path, int row, const QString &password)
{
    files.queue(path);
    answerLogin<TfrmPasswordDlg>(row, password);
    main().show();
    return QTest::qWaitFor([this] { return shell().AccSetOpen; });
}

void AppFixture::open(const QString &path, int row, const QString &password)
{
    files.queue(path);
    answerLogin<TfrmPasswordDlg>(row, password);
    action(QStringLiteral("miOpen"))->trigger();
}

QAction *AppFixture::action(const QString &name)
{
    return control<QAction>(&main(), name);
}

QWidget *AppFixture::activeChild()
{
    QMdiSubWindow *current = main().mdiArea()->currentSubWindow();
    return current ? current->widget() : nullptr;
}

int AppFixture::childCount()
{
    int count = 0;
    const QList<QMdiSubWindow *> children = main().mdiArea()->subWindowList();
    for (QMdiSubWindow *child : children) {
        if (!child->isHidden())
            ++count;
    }
    return count;
}

QWidget *AppFixture::command(const QString &name)
{
    action(name)->trigger();
    return activeChild();
}

QWidget *AppFixture::openWindow(const QString &windowName)
{
    if (!main().openWindow(windowName))
        qFatal("no window is registered as %s", qPrintable(windowName));
    return activeChild();
}

} // namespace hemu::test
