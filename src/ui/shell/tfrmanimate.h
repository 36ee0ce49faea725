#pragma once

#include "core/filechooser.h"

#include <QDialog>

class QLabel;
class QProgressBar;

namespace hemu {

/** The busy window shown while an account set is copied or compacted. */
class TfrmAnimate : public QDialog, public ProgressSink
{
    Q_OBJECT
public:
    explicit TfrmAnimate(QWidget *parent = nullptr);

    void begin(const QString &caption) override;
    void line(const QString &text) override;
    void progress(qint64 done, qint64 total) override;
    void end() override;

private:
    QLabel *m_text;
    QProgressBar *m_bar;
};

} // namespace hemu
