#pragma once

#include <QDialog>

class QPlainTextEdit;

namespace hemu {

/** The service-contact card: whom to ask about the program. A click closes it. */
class TfrNameCard : public QDialog
{
    Q_OBJECT
public:
    explicit TfrNameCard(QWidget *parent = nullptr);
    static QString contactText();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPlainTextEdit *m_text;
};

} // namespace hemu
