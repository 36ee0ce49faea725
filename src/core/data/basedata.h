#pragma once

#include "core/data/currentuser.h"
#include "core/db/database.h"

#include <QObject>

namespace hemu {

class Prompter;

/**
 * Owner of the single account-set connection `MyADOCnn`, the current user and the
 * master datasets. Created once per program run; the connection is closed until an
 * account set is opened.
 */
class BaseData : public QObject
{
    Q_OBJECT
public:
    explicit BaseData(Prompter &prompter, QObject *parent = nullptr);
    ~BaseData() override;

    Database &MyADOCnn() { return m_connection; }
    const Database &MyADOCnn() const { return m_connection; }
    Prompter &prompter() { return m_prompter; }

    CurrentUser &user() { return m_user; }
    const CurrentUser &user() const { return m_user; }
    int CurUserID() const { return m_user.CurUserID; }
    int CurRoleID() const { return m_user.CurRoleID; }
    QString CurUserName() const { return m_user.CurUserName; }
    QString CurRole() const { return m_user.CurRole; }
    QString LoginStatusText() const { return m_user.LoginStatusText(); }
    QString PrintStampText() const { return m_user.PrintStampText(); }

private:
    Prompter &m_prompter;
    Database m_connection;
    CurrentUser m_user;
};

} // namespace hemu
