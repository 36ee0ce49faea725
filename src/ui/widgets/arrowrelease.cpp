#include "ui/widgets/arrowrelease.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace hemu {

namespace {

/// Runs its act when the Up or Down arrow key is released in the watched widget.
class ArrowRelease : public QObject
{
public:
    ArrowRelease(QObject *watched, std::function<void()> act)
        : QObject(watched)
        , m_act(std::move(act))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyRelease) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if ((key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) && !key->isAutoRepeat())
                m_act();
        }
        return false;
    }

private:
    std::function<void()> m_act;
};

} // namespace

void whenArrowReleased(QWidget *list, std::function<void()> act)
{
    new ArrowRelease(list, std::move(act));
}

} // namespace hemu
