#pragma once

#include "core/reports/stockreports.h"
#include "ui/kit/appcontext.h"

#include <QObject>

#include <memory>

namespace hemu {

class PageStore;

/**
 * The hidden holder of one statement for one request: which goods it prints, and the pages
 * made from them. It is never shown; preview() hands its pages to the preview window, which
 * closes it (and so destroys it) when the preview closes. The selection is the report's own,
 * so the goods views of other windows never see a filter.
 */
class ReportWindow : public QObject
{
    Q_OBJECT
public:
    ReportWindow(AppContext &context, reports::StockReport report, reports::GoodsSelection selection, QObject *owner);
    /// Any other report: its definition, its rows and the values of its Variable items,
    /// held under `name` ("frmRepTabRk", "frmRepBuyManage"...).
    ReportWindow(AppContext &context, const QString &name, reports::ReportDefinition definition,
                 std::unique_ptr<reports::RecordSource> rows, QHash<QString, QVariant> variables, QObject *owner);
    ~ReportWindow() override;

    /// "frmRepTotalwithMny", "frmRepTotalwithoutMny", "frmRepDeposit" or "frmRepMainChange".
    static QString windowName(reports::StockReport report);

    reports::StockReport report() const { return m_report; }
    const reports::GoodsSelection &selection() const { return m_selection; }

    /// Makes the pages and shows them in the preview window; the first page shows as soon
    /// as it is laid out.
    void preview();
    PageStore *store() const { return m_store; }

    /// Closes the report: it is destroyed once control returns to the event loop.
    void close();

private:
    AppContext &m_context;
    reports::StockReport m_report = reports::StockReport::GoodsList;
    reports::GoodsSelection m_selection;
    struct Content
    {
        reports::ReportDefinition definition;
        std::unique_ptr<reports::RecordSource> rows;
        QHash<QString, QVariant> variables;
    };
    std::unique_ptr<Content> m_content; // set for the reports that are not goods statements
    PageStore *m_store = nullptr;
};

} // namespace hemu
