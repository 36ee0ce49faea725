#pragma once

// Driving modal windows from a test: the act runs inside the window's own event loop,
// as soon as the window is the active modal one.
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace hemu::test {

/// Runs `act` on the next modal window of type T. Gives up after 20 s so that a
/// window that never comes cannot act on a later test.
template <typename T>
void whenModal(std::function<void(T *)> act)
{
    auto *timer = new QTimer;
    const QDeadlineTimer deadline(20000);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act, deadline] {
        T *window = qobject_cast<T *>(QApplication::activeModalWidget());
        if (!window && !deadline.hasExpired())
            return;
        timer->stop();
        timer->deleteLater();
        if (window)
            act(window);
    });
    timer->start();
}

/// Fills the login dialog (user list row, password) and presses "确定" once; if the
/// dialog is still open after that, presses "取消" so that no test waits forever.
template <typename Dialog>
void answerLogin(int row, const QString &password)
{
    whenModal<Dialog>([row, password](Dialog *dlg) {
        dlg->template findChild<QComboBox *>(QStringLiteral("ComboBox1"))->setCurrentIndex(row);
        auto *edit = dlg->template findChild<QLineEdit *>(QStringLiteral("edPassword"));
        edit->clear();
        QTest::keyClicks(edit, password);
        QTest::mouseClick(dlg->template findChild<QPushButton *>(QStringLiteral("BitBtn1")), Qt::LeftButton);
        if (dlg->isVisible())
            QTest::mouseClick(dlg->template findChild<QPushButton *>(QStringLiteral("BitBtn2")), Qt::LeftButton);
    });
}

} // namespace hemu::test
