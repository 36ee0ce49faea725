#include "ui/kit/windowgrab.h"

#include "ui/shell/tfrmmain.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QPixmap>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>

namespace hemu {

bool showWindowPage(QWidget &main, const QString &windowName, const QString &page, QString *error)
{
    auto *window = main.objectName() == windowName ? &main : main.findChild<QWidget *>(windowName);
    if (!window || !window->isVisible()) {
        *error = QStringLiteral("%1 is not open").arg(windowName);
        return false;
    }
    QStringList pages;
    for (QTabWidget *tabs : window->findChildren<QTabWidget *>()) {
        for (int i = 0; i < tabs->count(); ++i) {
            if (tabs->tabText(i) == page || tabs->widget(i)->objectName() == page) {
                tabs->setCurrentIndex(i);
                return true;
            }
            pages << QStringLiteral("%1 (%2)").arg(tabs->tabText(i), tabs->widget(i)->objectName());
        }
    }
    *error = pages.isEmpty() ? QStringLiteral("%1 has no pages").arg(windowName)
                             : QStringLiteral("%1 has no page %2; its pages: %3").arg(windowName, page, pages.join(QStringLiteral(", ")));
    return false;
}

WindowGrab::WindowGrab(TfrmMain &main, const QString &windowName, const QString &page, const QString &file,
                       QObject *parent)
    : QObject(parent)
    , m_main(main)
    , m_windowName(windowName)
    , m_page(page)
    , m_file(file)
{
}

void WindowGrab::start()
{
    const QWidgetList before = QApplication::topLevelWidgets();
    for (QWidget *w : before) {
        if (w->isVisible())
            m_shownBefore.insert(w);
    }
    // Armed first: a window that opens modally runs its own loop inside openWindow(), and
    // the picture is taken from there.
    arm();
    if (!m_page.isEmpty()) {
        // Queued ahead of the opening: a modal window gets it from inside its own loop.
        QTimer::singleShot(0, this, [this] {
            if (m_done || showWindowPage(m_main, m_windowName, m_page, &m_error))
                return;
            m_done = true;
            emit finished(false);
        });
    }
    if (!m_windowName.isEmpty())
        m_main.openWindow(m_windowName);
}

void WindowGrab::arm()
{
    m_armed = true;
    // The dispatcher is about to block: every posted event (layouts, paints, queued calls)
    // has been handled. One more round lets what those started settle too.
    auto *dispatcher = QAbstractEventDispatcher::instance();
    auto idleRounds = std::make_shared<int>(0);
    connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this, idleRounds] {
        if (!m_armed || m_done)
            return;
        if (++*idleRounds < 2) {
            QTimer::singleShot(0, this, [] {});
            return;
        }
        m_armed = false;
        QTimer::singleShot(0, this, &WindowGrab::takePicture);
    });
    QTimer::singleShot(0, this, [] {});
}

QWidget *WindowGrab::topMostWindow() const
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows) {
        if (w->isVisible() && w != &m_main && !m_shownBefore.contains(w) && w->isWindow()
            && w->windowType() != Qt::Popup && !w->inherits("QMenu"))
            return w;
    }
    return &m_main;
}

void WindowGrab::takePicture()
{
    if (m_done)
        return;
    m_done = true;
    QWidget *window = topMostWindow();
    const bool ok = window->grab().save(m_file);
    if (!ok)
        m_error = QStringLiteral("cannot write %1").arg(m_file);
    emit finished(ok);
}

} // namespace hemu
