#pragma once

#include <QDialog>

namespace hemu {

/** The welcome window: shown at start-up and, modally, by "关于". */
class TfrmSplash : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmSplash(QWidget *parent = nullptr);

    /// Shows the service-contact card modally.
    void btnServiceClick();
};

} // namespace hemu
