#include "ui/reports/reportwindow.h"

#include "core/data/basedata.h"
#include "core/format/datetext.h"
#include "ui/reports/pagestore.h"
#include "ui/reports/tfrmmypreview.h"

#include <QDate>

namespace hemu {

ReportWindow::ReportWindow(AppContext &context, reports::StockReport report, reports::GoodsSelection selection,
                           QObject *owner)
    : QObject(owner)
    , m_context(context)
    , m_report(report)
    , m_selection(std::move(selection))
{
    setObjectName(windowName(report));
}

ReportWindow::ReportWindow(AppContext &context, const QString &name, reports::ReportDefinition definition,
                           std::unique_ptr<reports::RecordSource> rows, QHash<QString, QVariant> variables, QObject *owner)
    : QObject(owner)
    , m_context(context)
    , m_content(std::make_unique<Content>(Content{std::move(definition), std::move(rows), std::move(variables)}))
{
    setObjectName(name);
}

ReportWindow::~ReportWindow() = default;

QString ReportWindow::windowName(reports::StockReport report)
{
    switch (report) {
    case reports::StockReport::BookStock:
        return QStringLiteral("frmRepTotalwithMny");
    case reports::StockReport::PhysicalStock:
        return QStringLiteral("frmRepTotalwithoutMny");
    case reports::StockReport::GoodsList:
        return QStringLiteral("frmRepDeposit");
    case reports::StockReport::MainStore:
        break;
    }
    return QStringLiteral("frmRepMainChange");
}

void ReportWindow::preview()
{
    if (m_store)
        return;
    if (m_content) {
        m_store = new PageStore(std::move(m_content->definition), std::move(m_content->rows),
                                std::move(m_content->variables), this);
        m_content.reset();
        if (m_context.preview)
            m_context.preview->handOver(this);
        m_store->generate();
        return;
    }
    Database &db = m_context.base.MyADOCnn();
    m_store = new PageStore(reports::stockReportDefinition(m_report, db), reports::goodsRows(db, m_selection),
                            reports::reportVariables(m_context.base.PrintStampText(), shortDateText(QDate::currentDate())),
                            this);
    // The book stock statement goes to paper two pages at a time unless the user says otherwise.
    if (m_report == reports::StockReport::BookStock) {
        m_store->printSettings().firstPage = 1;
        m_store->printSettings().lastPage = 2;
    }
    if (m_context.preview)
        m_context.preview->handOver(this);
    m_store->generate();
}

void ReportWindow::close()
{
    deleteLater();
}

} // namespace hemu
