#pragma once

#include "ui/widgets/errorreporter.h"

#include <QHash>
#include <QPointer>
#include <QWidget>
#include <functional>

class QToolButton;

namespace hemu {

class Dataset;

/**
 * The navigator bar over a dataset: first, prior, next, last, insert, delete, edit, post,
 * cancel and refresh buttons, each shown where the window asks for it and enabled by the
 * dataset's state.
 */
class Navigator : public QWidget
{
    Q_OBJECT
public:
    enum Button {
        First = 0x001,
        Prior = 0x002,
        Next = 0x004,
        Last = 0x008,
        Insert = 0x010,
        Delete = 0x020,
        Edit = 0x040,
        Post = 0x080,
        Cancel = 0x100,
        Refresh = 0x200,
    };
    Q_DECLARE_FLAGS(Buttons, Button)
    Q_FLAG(Buttons)
    static constexpr Buttons AllButtons = Buttons::fromInt(0x3ff);
    static constexpr Buttons MoveButtons = Buttons::fromInt(0x00f); // first, prior, next, last

    explicit Navigator(QWidget *parent = nullptr);
    ~Navigator() override;

    void setDataset(Dataset *dataset);
    Dataset *dataset() const { return m_dataset; }
    void setVisibleButtons(Buttons buttons);
    Buttons visibleButtons() const { return m_visible; }

    /// The button's object name is "nbFirst", "nbPrior", ... and its tool tip "到头", "前移", ...
    QToolButton *button(Button which) const { return m_buttons.value(which); }
    static QString hint(Button which);
    static QString objectNameOf(Button which);

    /// Runs before a button's action; returning false skips it.
    std::function<bool(Button)> beforeAction;

public slots:
    /// Does what the button does, as if it were clicked (enabled or not, the dataset decides).
    void doAction(hemu::Navigator::Button which);
    void updateButtons();

signals:
    /// A button's action was carried out (`ok` false when the dataset refused or failed).
    void actionDone(hemu::Navigator::Button which, bool ok);

private:
    QPointer<Dataset> m_dataset;
    QHash<Button, QToolButton *> m_buttons;
    Buttons m_visible = AllButtons;
    ErrorReporter m_errors;
};

} // namespace hemu

Q_DECLARE_OPERATORS_FOR_FLAGS(hemu::Navigator::Buttons)
