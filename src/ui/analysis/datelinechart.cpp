#include "ui/analysis/datelinechart.h"

#include <QBrush>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QGraphicsSimpleTextItem>
#include <QLabel>
#include <QLineSeries>
#include <QPen>
#include <QValueAxis>
#include <QVBoxLayout>
#include <algorithm>

namespace hemu {

namespace {
const QColor kAxisText(220, 220, 220);
const QColor kGrid(70, 70, 70);
const QColor kLine(0, 230, 0);
const QColor kPointText(255, 255, 160);

qint64 msecsOf(const QDate &date)
{
    return QDateTime(date, QTime(0, 0)).toMSecsSinceEpoch();
}
} // namespace

DateLineChart::DateLineChart(const QString &objectName, const QString &seriesTitle, const QString &valueAxisTitle, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(objectName);
    m_title = new QLabel(this);
    m_title->setObjectName(objectName + QStringLiteral("Title"));
    m_title->setStyleSheet(QStringLiteral("color: blue; font-weight: bold;"));
    m_title->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    m_chart = new QChart;
    m_chart->legend()->hide();
    m_chart->setBackgroundBrush(Qt::black);
    m_chart->setBackgroundRoundness(0);
    m_chart->setMargins(QMargins(2, 2, 12, 0));

    m_series = new QLineSeries(m_chart);
    m_series->setName(seriesTitle);
    m_series->setPointsVisible(true);
    m_series->setPen(QPen(kLine, 2));
    m_series->setBrush(kLine); // the point markers
    m_chart->addSeries(m_series);

    m_x = new QDateTimeAxis(m_chart);
    m_x->setTitleText(QStringLiteral("日期"));
    m_x->setFormat(QStringLiteral("yyyy-M-d"));
    m_y = new QValueAxis(m_chart);
    m_y->setTitleText(valueAxisTitle);
    m_y->setLabelFormat(QStringLiteral("%.10g"));
    for (QAbstractAxis *axis : {static_cast<QAbstractAxis *>(m_x), static_cast<QAbstractAxis *>(m_y)}) {
        axis->setLabelsColor(kAxisText);
        axis->setTitleBrush(kAxisText);
        axis->setGridLineColor(kGrid);
        axis->setLinePenColor(kAxisText);
        // A low chart would otherwise show its dates and values as "...".
        axis->setTruncateLabels(false);
        QFont font = axis->labelsFont();
        font.setPointSizeF(7.5);
        axis->setLabelsFont(font);
        QFont title = axis->titleFont();
        title.setPointSizeF(8);
        axis->setTitleFont(title);
    }
    m_chart->addAxis(m_x, Qt::AlignBottom);
    m_chart->addAxis(m_y, Qt::AlignLeft);
    m_series->attachAxis(m_x);
    m_series->attachAxis(m_y);

    m_view = new QChartView(m_chart, this);
    m_view->setRenderHint(QPainter::Antialiasing);
    m_view->setMinimumHeight(120);
    m_view->setBackgroundBrush(Qt::black);
    connect(m_chart, &QChart::plotAreaChanged, this, &DateLineChart::placeLabels);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(m_title);
    layout->addWidget(m_view, 1);
    setPoints({});
}

void DateLineChart::setTitle(const QString &title)
{
    m_title->setText(title);
}

QString DateLineChart::title() const
{
    return m_title->text();
}

void DateLineChart::setValueLabels(const QString &pattern)
{
    m_labelFormat = NumberFormat(pattern);
}

void DateLineChart::setValueAxisLabelColour(const QColor &colour)
{
    m_y->setLabelsColor(colour);
}

void DateLineChart::setDateFormat(const QString &format)
{
    m_x->setFormat(format);
}

void DateLineChart::setPoints(const QList<MarketInfo::Point> &points)
{
    QList<QPointF> xy;
    double top = m_minimum;
    for (const MarketInfo::Point &p : points) {
        xy.append(QPointF(qreal(msecsOf(p.date)), p.value));
        top = std::max(top, p.value);
    }
    m_series->replace(xy);

    // The dates of the points, a day either side of a single one.
    QDate first = points.isEmpty() ? QDate(2000, 1, 1) : points.first().date;
    QDate last = points.isEmpty() ? first : points.last().date;
    if (first == last) {
        first = first.addDays(-1);
        last = last.addDays(1);
    }
    m_x->setRange(QDateTime(first, QTime(0, 0)), QDateTime(last, QTime(0, 0)));
    m_x->setTickCount(std::clamp(int(points.size()), 3, 6));
    m_y->setRange(m_minimum, top > m_minimum ? top * 1.2 : m_minimum + 1); // room for the value texts above the points
    m_y->applyNiceNumbers();
    if (m_y->min() < m_minimum)
        m_y->setMin(m_minimum);

    qDeleteAll(m_labels);
    m_labels.clear();
    if (!m_labelFormat.isEmpty()) {
        for (const MarketInfo::Point &p : points) {
            auto *label = new QGraphicsSimpleTextItem(m_labelFormat.format(p.value), m_chart);
            label->setBrush(kPointText);
            m_labels.append(label);
        }
    }
    placeLabels();
}

void DateLineChart::placeLabels()
{
    const QList<QPointF> xy = m_series->points();
    for (int i = 0; i < m_labels.size() && i < xy.size(); ++i) {
        const QPointF at = m_chart->mapToPosition(xy[i], m_series);
        QGraphicsSimpleTextItem *label = m_labels[i];
        const QRectF box = label->boundingRect();
        label->setPos(at.x() - box.width() / 2, at.y() - box.height() - 4);
    }
}

QStringList DateLineChart::valueTexts() const
{
    QStringList texts;
    for (const QGraphicsSimpleTextItem *label : m_labels)
        texts << label->text();
    return texts;
}

} // namespace hemu
