#pragma once

#include "core/analysis/marketinfo.h"
#include "core/format/numberformat.h"

#include <QWidget>

class QGraphicsSimpleTextItem;
class QLabel;
class QChart;
class QChartView;
class QDateTimeAxis;
class QLineSeries;
class QValueAxis;

namespace hemu {

/**
 * One line chart of values by date: a title line in blue at the left above the chart, black
 * plot background, the points marked, no legend, dates ascending on the bottom axis
 * ("日期"), a value axis from a given minimum, and optionally each point's value written
 * beside it in a number pattern ("#,##0.##").
 */
class DateLineChart : public QWidget
{
    Q_OBJECT
public:
    DateLineChart(const QString &objectName, const QString &seriesTitle, const QString &valueAxisTitle, QWidget *parent = nullptr);

    void setTitle(const QString &title);
    QString title() const;
    /// Writes every point's value beside it in `pattern`; empty: no values written.
    void setValueLabels(const QString &pattern);
    void setValueAxisLabelColour(const QColor &colour);
    void setValueAxisMinimum(double minimum) { m_minimum = minimum; }
    /// Date labels of the bottom axis ("yyyy-M-d").
    void setDateFormat(const QString &format);

    void setPoints(const QList<MarketInfo::Point> &points);

    QLineSeries *series() const { return m_series; }
    QValueAxis *valueAxis() const { return m_y; }
    QDateTimeAxis *dateAxis() const { return m_x; }
    /// The value texts written beside the points, in point order.
    QStringList valueTexts() const;

private:
    void placeLabels();

    QLabel *m_title;
    QChart *m_chart;
    QChartView *m_view;
    QLineSeries *m_series;
    QDateTimeAxis *m_x;
    QValueAxis *m_y;
    NumberFormat m_labelFormat;
    double m_minimum = 0;
    QList<QGraphicsSimpleTextItem *> m_labels;
};

} // namespace hemu
