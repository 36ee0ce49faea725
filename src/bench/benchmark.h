#pragma once

#include "bench/benchsize.h"
#include "bench/generator.h"

#include <QList>
#include <QString>
#include <memory>
#include <optional>

namespace hemu {
class BaseData;
class ScriptedPrompter;
class TabData;
}

namespace hemu::bench {

/** One measured figure with its raw-SQLite yardstick, as printed and written to JSON. */
struct Figure
{
    QString name;
    double value = 0;
    QString unit;
    std::optional<double> baseline;
    /// Highest allowed ratio to the yardstick, or highest allowed value without one.
    std::optional<double> target;
    std::optional<double> ratio() const;
    bool meetsTarget() const;
};

/**
 * Generates an account set in `folder` and measures the data layer on it through the real
 * code paths (BaseData, TabData and their datasets), each figure against raw SQLite doing
 * the same work on the same connection, as the median of several runs.
 */
class Benchmark
{
public:
    Benchmark(const BenchSize &size, const QString &folder);
    ~Benchmark();

    /// False with `error` when generating or a measured operation failed. With `only` set,
    /// just those figures are measured (the open always is: everything else needs it).
    bool run(QString *error, const QStringList &only = {});
    QList<Figure> figures() const { return m_figures; }
    /// Informational lines for the printed report (generation time, the stricter yardstick...).
    QStringList notes() const { return m_notes; }

private:
    bool openModules(QString *error);
    void closeModules();
    bool measureOpen(QString *error);
    bool measurePost(QString *error);
    bool measureRecalc(QString *error);
    bool measureFilterGoods(QString *error);
    bool measureReceivables(QString *error);
    bool measureBillSearch(QString *error);
    bool measureStatement(QString *error);
    bool measureDeleteBill(QString *error);
    bool measureCarryForward(QString *error);
    bool measureFirstWriteCheck(QString *error);
    bool measureQuickCheck(QString *error);
    bool measureLayoutPhysicalStock(QString *error);
    bool measureStockCheck(QString *error);
    /// Needs a QApplication (offscreen is enough).
    bool measureWindows(QString *error);
    void add(const QString &name, const QList<double> &ours, const QList<double> &raw, std::optional<double> target);

    BenchSize m_size;
    QString m_path;
    Generator m_generator;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<BaseData> m_base;
    std::unique_ptr<TabData> m_tab;
    QList<Figure> m_figures;
    QStringList m_notes;
};

} // namespace hemu::bench
