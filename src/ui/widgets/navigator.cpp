#include "ui/widgets/navigator.h"

#include "core/dataset/dataset.h"
#include "ui/widgets/datasetwatcher.h"
#include "ui/widgets/fieldbinders.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace hemu {

namespace {

struct ButtonInfo
{
    Navigator::Button button;
    const char *objectName;
    const char *hint;
};

const ButtonInfo buttonInfos[] = {
    {Navigator::First, "nbFirst", "到头"},   {Navigator::Prior, "nbPrior", "前移"},
    {Navigator::Next, "nbNext", "后移"},     {Navigator::Last, "nbLast", "到尾"},
    {Navigator::Insert, "nbInsert", "添加"}, {Navigator::Delete, "nbDelete", "删除"},
    {Navigator::Edit, "nbEdit", "修改"},     {Navigator::Post, "nbPost", "保存"},
    {Navigator::Cancel, "nbCancel", "取消"}, {Navigator::Refresh, "nbRefresh", "刷新"},
};

const ButtonInfo *infoOf(Navigator::Button which)
{
    for (const ButtonInfo &info : buttonInfos) {
        if (info.button == which)
            return &info;
    }
    return nullptr;
}

QPainterPath triangle(qreal left, qreal right, bool pointsLeft)
{
    QPainterPath path;
    const qreal tip = pointsLeft ? left : right;
    const qreal base = pointsLeft ? right : left;
    path.moveTo(base, 3.5);
    path.lineTo(tip, 8);
    path.lineTo(base, 12.5);
    path.closeSubpath();
    return path;
}

// The glyphs are drawn rather than shipped as files: ten small shapes, sharp at any scale.
QIcon navigatorIcon(Navigator::Button which)
{
    const qreal scale = 2;
    QPixmap pixmap(QSize(16, 16) * scale);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    const QColor ink(0x20, 0x30, 0x60);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    QPen stroke(ink, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    switch (which) {
    case Navigator::First:
        p.drawRect(QRectF(3, 3.5, 2, 9));
        p.drawPath(triangle(5.5, 12, true));
        break;
    case Navigator::Prior:
        p.drawPath(triangle(4.5, 11, true));
        break;
    case Navigator::Next:
        p.drawPath(triangle(5, 11.5, false));
        break;
    case Navigator::Last:
        p.drawPath(triangle(4, 10.5, false));
        p.drawRect(QRectF(11, 3.5, 2, 9));
        break;
    case Navigator::Insert:
        p.drawRect(QRectF(7, 3, 2, 10));
        p.drawRect(QRectF(3, 7, 10, 2));
        break;
    case Navigator::Delete:
        p.drawRect(QRectF(3, 7, 10, 2));
        break;
    case Navigator::Edit: {
        QPainterPath up;
        up.moveTo(3.5, 11);
        up.lineTo(8, 4);
        up.lineTo(12.5, 11);
        up.closeSubpath();
        p.drawPath(up);
        break;
    }
    case Navigator::Post:
        p.setPen(stroke);
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({QPointF(3.5, 8.5), QPointF(6.5, 11.5), QPointF(12.5, 4.5)}));
        break;
    case Navigator::Cancel:
        p.setPen(stroke);
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    case Navigator::Refresh: {
        p.setPen(stroke);
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(3.5, 3.5, 9, 9), 60 * 16, 280 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        QPainterPath head;
        head.moveTo(9.5, 1.5);
        head.lineTo(13.5, 4.5);
        head.lineTo(9, 6.5);
        head.closeSubpath();
        p.drawPath(head);
        break;
    }
    }
    p.end();
    pixmap.setDevicePixelRatio(scale);
    return QIcon(pixmap);
}

} // namespace

QString Navigator::hint(Button which)
{
    const ButtonInfo *info = infoOf(which);
    return info ? QString::fromUtf8(info->hint) : QString();
}

QString Navigator::objectNameOf(Button which)
{
    const ButtonInfo *info = infoOf(which);
    return info ? QString::fromLatin1(info->objectName) : QString();
}

Navigator::Navigator(QWidget *parent)
    : QWidget(parent)
    , m_errors(this)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (const ButtonInfo &info : buttonInfos) {
        auto *button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(info.objectName));
        button->setToolTip(QString::fromUtf8(info.hint));
        button->setIcon(navigatorIcon(info.button));
        button->setAutoRaise(false);
        button->setFocusPolicy(Qt::NoFocus); // the grid or edit box keeps the keyboard
        const Button which = info.button;
        connect(button, &QToolButton::clicked, this, [this, which] { doAction(which); });
        layout->addWidget(button);
        m_buttons.insert(which, button);
    }
    layout->addStretch();
    setVisibleButtons(AllButtons);
    updateButtons();
}

Navigator::~Navigator() = default;

void Navigator::setDataset(Dataset *dataset)
{
    if (m_dataset)
        disconnect(m_dataset, nullptr, this, nullptr);
    m_dataset = dataset;
    DatasetWatcher::subscribe(dataset, this,
                              DatasetWatcher::Current | DatasetWatcher::State | DatasetWatcher::Rows
                                  | DatasetWatcher::Active | DatasetWatcher::Destroyed,
                              [this] { updateButtons(); });
    updateButtons();
}

void Navigator::setVisibleButtons(Buttons buttons)
{
    m_visible = buttons;
    for (auto it = m_buttons.cbegin(); it != m_buttons.cend(); ++it)
        it.value()->setVisible(buttons.testFlag(it.key()));
}

void Navigator::updateButtons()
{
    const Dataset *ds = m_dataset;
    const bool open = ds && ds->isOpen();
    const bool editing = open && ds->isEditing();
    const bool canModify = open && !ds->isReadOnly();
    const int row = open ? ds->currentRow() : -1;
    const int count = open ? ds->rowCount() : 0;
    const bool hasRow = row >= 0 && row < count;
    m_buttons[First]->setEnabled(open && row > 0);
    m_buttons[Prior]->setEnabled(open && row > 0);
    m_buttons[Next]->setEnabled(open && row < count - 1);
    m_buttons[Last]->setEnabled(open && row < count - 1);
    m_buttons[Insert]->setEnabled(canModify);
    m_buttons[Delete]->setEnabled(canModify && hasRow);
    m_buttons[Edit]->setEnabled(canModify && hasRow && !editing);
    m_buttons[Post]->setEnabled(canModify && editing);
    m_buttons[Cancel]->setEnabled(canModify && editing);
    m_buttons[Refresh]->setEnabled(open && !editing);
}

void Navigator::doAction(Button which)
{
    Dataset *ds = m_dataset;
    if (!ds || (beforeAction && !beforeAction(which)))
        return;
    // Navigator buttons take no focus: an edit box being typed in has not handed its text
    // over yet. A cancel drops it instead.
    if (which != Cancel)
        FieldBinder::commitPending(ds);
    DatasetError error;
    // Moves return no error: a move that had to post a pending row and could not leaves the
    // row pending, and the dataset keeps why.
    auto move = [&](void (Dataset::*step)()) {
        const bool wasEditing = ds->isEditing();
        (ds->*step)();
        if (wasEditing && ds->isEditing())
            error = ds->lastError();
    };
    switch (which) {
    case First:
        move(&Dataset::first);
        break;
    case Prior:
        move(&Dataset::prior);
        break;
    case Next:
        move(&Dataset::next);
        break;
    case Last:
        move(&Dataset::last);
        break;
    case Insert:
        error = ds->insert();
        break;
    case Delete:
        // No question here: the dataset's delete rule asks when the data module wants it.
        error = ds->remove();
        break;
    case Edit:
        error = ds->edit();
        break;
    case Post:
        error = ds->post();
        break;
    case Cancel:
        error = ds->cancel();
        break;
    case Refresh:
        error = ds->refresh();
        break;
    }
    const bool ok = m_errors.report(error);
    updateButtons();
    emit actionDone(which, ok);
}

} // namespace hemu
