#pragma once

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

class QWidget;

namespace hemu {

class TfrmMain;

/// Brings forward the page `page` of the window called `windowName` among `main`'s windows:
/// a tab of one of its tab widgets, named by the tab's text ("供方") or the page's object
/// name ("tsVendors"). False with `error` set when the window is not open or has no such page.
bool showWindowPage(QWidget &main, const QString &windowName, const QString &page, QString *error);

/**
 * Pictures a window for the user guide: opens a window by name once the account set is
 * open, waits until the event loop has nothing left to do (a modal window's own loop
 * included), saves the top-most window as an image and ends the program.
 */
class WindowGrab : public QObject
{
    Q_OBJECT
public:
    /// `page`, when not empty, is brought forward as showWindowPage() does before the picture.
    WindowGrab(TfrmMain &main, const QString &windowName, const QString &page, const QString &file,
               QObject *parent = nullptr);

    /// Opens the window (if one was named) and arms the picture.
    void start();
    /// Why finished() said false.
    QString error() const { return m_error; }
    /// The window the picture is taken of: a modal one, else a window shown since start(),
    /// else the main window.
    QWidget *topMostWindow() const;

signals:
    /// The picture was saved (`ok`) or could not be; the program is told to end either way.
    void finished(bool ok);

private:
    void arm();
    void takePicture();

    TfrmMain &m_main;
    QString m_windowName;
    QString m_page;
    QString m_file;
    QString m_error;
    QSet<QWidget *> m_shownBefore;
    bool m_armed = false;
    bool m_done = false;
};

} // namespace hemu
