#pragma once

#include "ui/kit/childwindow.h"

class QCheckBox;
class QPushButton;

namespace hemu {

class DataGrid;

/**
 * "盘点调整": the goods with their quantity counters (TabData's batch view GoodsCheck); the
 * user types the difference between books and count, saves it, prints a count sheet and
 * books the differences into the counters ("调整", StockCheck::adjust). Closing the window
 * saves what was typed.
 */
class TfrmStoreCheck : public ChildWindow
{
    Q_OBJECT
public:
    explicit TfrmStoreCheck(AppContext &context);
    ~TfrmStoreCheck() override;

    QSize sizeHint() const override { return {960, 560}; }
    bool canClose() override;

    struct
    {
        QCheckBox *CheckBox1 = nullptr; // 过滤
        DataGrid *DBGrid1 = nullptr;    // categories
        DataGrid *DBGrid2 = nullptr;    // goods
        QPushButton *SpeedButton1 = nullptr; // 打印
        QPushButton *SpeedButton3 = nullptr; // 调整
        QPushButton *btSave = nullptr;       // 保存
        QPushButton *Button1 = nullptr;      // 取消
        QPushButton *Button2 = nullptr;      // 刷新
    } ui;

    /// "调整"
    void adjust();
    /// "保存": false when the differences could not be written (the user was told).
    bool save();
    /// "取消"
    void cancel();
    /// "刷新" (and showing the window): the goods with any quantity read again.
    void refresh();
    /// "打印": the count sheet in the print preview.
    void printSheet();

protected:
    void showEvent(QShowEvent *event) override;

private:
    qint64 currentCategory() const;

    bool m_shown = false;
};

} // namespace hemu
