// The printed customer statement laid out from the statement books: goods figures with their
// totals, the bills behind them, the line for both signatures.
#include "core/analysis/custstatement.h"
#include "core/dataset/dataset.h"
#include "core/db/database.h"
#include "core/reports/reportlayout.h"
#include "core/reports/statementreport.h"
#include "core/reports/stockreports.h"
#include "core/reports/textexport.h"
#include "support/statementbooks.h"
#include "support/testsupport.h"

#include <QtTest>

using namespace hemu;
using namespace hemu::reports;

class TestStatementReport : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void goodsBillsAndSignatures();
    void rowsStayAsAsked();
    void emptyStatementStillSigned();

private:
    QString text(CustStatement &s);
    test::TempAccountSet *m_set = nullptr;
    Database *m_db = nullptr;
};

void TestStatementReport::init()
{
    m_set = new test::TempAccountSet;
    m_db = new Database;
    QVERIFY(m_db->open(m_set->path()));
    QString error;
    QVERIFY2(test::fillStatementBooks(*m_db, &error), qPrintable(error));
}

void TestStatementReport::cleanup()
{
    delete m_db;
    delete m_set;
}

QString TestStatementReport::text(CustStatement &s)
{
    const ReportDefinition def = statementReportDefinition(s);
    const std::unique_ptr<RecordSource> rows = statementRows(s);
    return textexport::toText(ReportLayout::run(def, *rows, reportVariables(QStringLiteral("制表：管理员"), QStringLiteral("2026-4-1"))));
}

void TestStatementReport::goodsBillsAndSignatures()
{
    QVERIFY(m_db->exec(QStringLiteral("UPDATE UserInfo SET Name = ?"), {QStringLiteral("禾木商贸")}));
    CustStatement s(*m_db);
    QVERIFY(s.open(1, QDate(2026, 3, 1), QDate(2026, 3, 31)).ok());
    const QString out = text(s);
    QStringList lines = out.split(QLatin1Char('\n'));
    for (QString &l : lines)
        l = l.simplified();
    const auto has = [&](const QString &want) {
        for (const QString &l : std::as_const(lines)) {
            if (l.contains(want))
                return true;
        }
        return false;
    };
    for (const QString &want : {QStringLiteral("禾木商贸客户对账单"), QStringLiteral("客户：1 东店"), QStringLiteral("日期：2026-03-01 至 2026-03-31"),
                                QStringLiteral("制表：管理员"), QStringLiteral("期初 送货 退货 收款 退款 期末"),
                                // goods 1: start 8 68, delivered 4 40, paid 3 36, refunded 1 12, end 10 84
                                QStringLiteral("1 甲品 件 8 68.00 4 40.00 3 36.00 1 12.00 10 84.00"),
                                QStringLiteral("3 丙品 2 5.00 2 5.00"),
                                // the three goods summed
                                QStringLiteral("合计 11 80.00 6 45.00 5 46.00 1 12.00 13 91.00"), QStringLiteral("单据明细"),
                                QStringLiteral("2026-03-15 收款单 SK-2026-03-15 -1 -12.00"),
                                QStringLiteral("2026-03-20 送货单 CK-2026-03-20 6 45.00"), QStringLiteral("客户签字："),
                                QStringLiteral("经办人：")})
        QVERIFY2(has(want), qPrintable(want + QStringLiteral(" not in:\n") + out));
    QVERIFY(out.indexOf(QStringLiteral("甲品")) < out.indexOf(QStringLiteral("SK-2026-03-03")));
    QVERIFY(out.indexOf(QStringLiteral("SK-2026-03-03")) < out.indexOf(QStringLiteral("客户签字")));
}

void TestStatementReport::rowsStayAsAsked()
{
    // The pages are laid out while the window may already show another customer.
    CustStatement s(*m_db);
    QVERIFY(s.open(2, QDate(), QDate()).ok());
    const std::unique_ptr<RecordSource> rows = statementRows(s);
    QVERIFY(s.open(1, QDate(), QDate()).ok());
    QStringList seen;
    while (rows->next())
        seen << rows->record().value(QStringLiteral("section")).toString() + QLatin1Char('/')
                    + rows->record().value(QStringLiteral("Description")).toString()
                    + rows->record().value(QStringLiteral("BookID")).toString();
    QCOMPARE(seen, (QStringList{QStringLiteral("1/甲品"), QStringLiteral("1/合计"), QStringLiteral("2/CK-2026-03-01")}));
}

void TestStatementReport::emptyStatementStillSigned()
{
    CustStatement s(*m_db);
    QVERIFY(s.open(2, QDate(2025, 1, 1), QDate(2025, 12, 31)).ok());
    QCOMPARE(s.qStatement->rowCount(), 0);
    const QString out = text(s);
    QVERIFY(out.contains(QStringLiteral("客户签字：")));
    QVERIFY(out.contains(QStringLiteral("西店")));
}

QTEST_GUILESS_MAIN(TestStatementReport)
#include "test_statementreport.moc"
