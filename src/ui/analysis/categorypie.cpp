#include "ui/analysis/categorypie.h"

#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QPieSeries>
#include <QPieSlice>
#include <QVBoxLayout>

namespace hemu {

CategoryPie::CategoryPie(QWidget *parent)
    : QWidget(parent)
{
    m_title = new QLabel(QStringLiteral("产品销售份额（类别统计）"), this);
    m_title->setObjectName(QStringLiteral("lbChartTitle"));
    m_title->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont titleFont = m_title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.25);
    titleFont.setBold(true);
    m_title->setFont(titleFont);

    m_series = new QPieSeries;
    m_series->setName(QStringLiteral("类别统计"));
    m_series->setPieSize(0.62);
    m_chart = new QChart;
    m_chart->addSeries(m_series);
    m_chart->setAnimationOptions(QChart::NoAnimation);
    m_chart->setBackgroundRoundness(0);
    m_chart->setBackgroundVisible(false);
    m_chart->legend()->setAlignment(Qt::AlignRight);
    m_chart->legend()->setShowToolTips(true);
    m_view = new QChartView(m_chart, this);
    m_view->setObjectName(QStringLiteral("ChartView"));
    m_view->setRenderHint(QPainter::Antialiasing);
    m_view->setFrameShape(QFrame::NoFrame);
    m_view->setBackgroundBrush(Qt::white);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_title);
    layout->addWidget(m_view, 1);
}

void CategoryPie::setSlices(const QList<Profits::Share> &slices)
{
    // A colour of its own for each category (the series' shades of one colour run together).
    static const QColor colours[] = {QColor(0x4e, 0x79, 0xa7), QColor(0xf2, 0x8e, 0x2b), QColor(0xe1, 0x57, 0x59),
                                     QColor(0x76, 0xb7, 0xb2), QColor(0x59, 0xa1, 0x4f), QColor(0xed, 0xc9, 0x48),
                                     QColor(0xb0, 0x7a, 0xa1), QColor(0xff, 0x9d, 0xa7), QColor(0x9c, 0x75, 0x5f),
                                     QColor(0xba, 0xb0, 0xac)};
    m_slices = slices;
    m_series->clear();
    for (const Profits::Share &s : slices) {
        auto *slice = m_series->append(s.label, s.value);
        slice->setColor(colours[(m_series->count() - 1) % std::size(colours)]);
        slice->setLabelVisible(true);
        slice->setLabelPosition(QPieSlice::LabelOutside);
        slice->setBorderColor(Qt::white);
    }
    applyLabels();
}

void CategoryPie::setLabels(PieLabels labels)
{
    m_labels = labels;
    applyLabels();
}

void CategoryPie::applyLabels()
{
    const QList<QPieSlice *> slices = m_series->slices();
    for (int i = 0; i < slices.size() && i < m_slices.size(); ++i)
        slices[i]->setLabel(PieText::mark(m_labels, m_slices[i].value, m_slices[i].percent));
    // The legend follows the slices' labels unless told otherwise: told after them.
    const QList<QLegendMarker *> markers = m_chart->legend()->markers(m_series);
    for (int i = 0; i < markers.size() && i < m_slices.size(); ++i)
        markers[i]->setLabel(PieText::legend(m_labels, m_slices[i].label, m_slices[i].value, m_slices[i].percent));
}

QStringList CategoryPie::legendTexts() const
{
    QStringList texts;
    for (QLegendMarker *marker : m_chart->legend()->markers(m_series))
        texts << marker->label();
    return texts;
}

} // namespace hemu
