#pragma once

#include "core/analysis/profits.h"

#include <QWidget>

class QChart;
class QChartView;
class QLabel;
class QPieSeries;

namespace hemu {

/**
 * The pie of the sales by goods category: one slice per category, largest first, its
 * marks and legend labelled by a PieLabels mode, under a title on the right.
 */
class CategoryPie : public QWidget
{
    Q_OBJECT
public:
    explicit CategoryPie(QWidget *parent = nullptr);

    /// Draws these slices (replacing any drawn before) in the current label mode.
    void setSlices(const QList<Profits::Share> &slices);
    void setLabels(PieLabels labels);
    PieLabels labels() const { return m_labels; }

    QChart *chart() const { return m_chart; }
    QPieSeries *series() const { return m_series; }
    QLabel *titleLabel() const { return m_title; }
    /// The legend's texts, slice by slice.
    QStringList legendTexts() const;

private:
    void applyLabels();

    QLabel *m_title;
    QChartView *m_view;
    QChart *m_chart;
    QPieSeries *m_series;
    QList<Profits::Share> m_slices;
    PieLabels m_labels = PieLabels::Start;
};

} // namespace hemu
