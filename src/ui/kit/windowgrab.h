#pragma once

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

class QWidget;

namespace hemu {

class TfrmMain;

/**
 * Pictures a window for the user guide: opens a window by name once the account set is
 * open, waits until the event loop has nothing left to do (a modal window's own loop
 * included), saves the top-most window as an image and ends the program.
 */
class WindowGrab : public QObject
{
    Q_OBJECT
public:
    WindowGrab(TfrmMain &main, const QString &windowName, const QString &file, QObject *parent = nullptr);

    /// Opens the window (if one was named) and arms the picture.
    void start();
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
    QString m_file;
    QSet<QWidget *> m_shownBefore;
    bool m_armed = false;
    bool m_done = false;
};

} // namespace hemu
