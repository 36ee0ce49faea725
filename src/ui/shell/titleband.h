#pragma once

#include <QWidget>

class QLabel;

namespace hemu {

/** The blue band with a picture and a large white title that heads the login and welcome windows. */
class TitleBand : public QWidget
{
    Q_OBJECT
public:
    TitleBand(const QString &title, const QPixmap &picture, QWidget *parent = nullptr);
    QLabel *titleLabel() const { return m_title; }

private:
    QLabel *m_title;
};

} // namespace hemu
