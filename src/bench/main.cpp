// hemu-bench: speed and memory of the data layer, and the opening of two windows offscreen, on
// generated account sets, each figure against raw SQLite doing the same work in the same run.
#include "bench/benchmark.h"
#include "bench/jetconvertfigure.h"

#include "core/backup/backupstore.h"

#include "ui/kit/hemuapp.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

using namespace hemu::bench;

namespace {

int usage()
{
    std::fputs("usage: hemu-bench [--size small|large] [--json FILE] [--runs N] [--dir FOLDER] [--only NAME,...] [--jet FILE]\n"
               "  --size   account set to generate (default small; tiny is the smoke test's)\n"
               "  --json   also write the figures to FILE\n"
               "  --runs   runs per figure (default by size; posting a line runs at least 31 times)\n"
               "  --dir    folder for the generated file (default a new temporary folder, removed at the end)\n"
               "  --only   measure just these figures (for profiling; the open is always measured;\n"
                "           open_windows gives open_frmBaseInfo, open_frmPickGoods, open_frmBrTotal,\n"
                "           open_frmBrCustsDue, open_frmBusiness, next_bill, open_frmBrGoodFlow,\n"
                "           open_frmProfits and open_frmBuyManage; stock_check gives stock_check_adjust;\n"
                "           --only convert_jet measures that figure alone, without generating a set)\n"
                "  --jet    an old-format (Jet 4) file to measure convert_jet on (made by\n"
                "           tests/data/jet/sets/make_sets.py --bench FILE); without it the figure is skipped\n",
               stderr);
    return 2;
}

const char *const figureOrder[] = {"post_line",   "recalc_totals", "open_account_set", "delete_bill",
                                   "filter_goods", "carry_forward", "receivables", "bill_search", "statement", "held_age", "first_write_check", "quick_check", "layout_physical_stock",
                                   "stock_check_adjust",
                                   "open_frmBaseInfo", "open_frmPickGoods", "open_frmBrTotal", "first_screen_frmBrTotal_customers",
                                   "open_frmBrCustsDue", "first_screen_frmBrCustsDue", "open_frmBusiness", "next_bill",
                                   "open_frmBrGoodFlow", "first_screen_frmBrGoodFlow", "read_all_frmBrGoodFlow",
                                   "open_frmProfits", "open_frmBuyManage", "convert_jet", "peak_rss_mb"};

QList<Figure> ordered(const QList<Figure> &figures)
{
    QList<Figure> out;
    for (const char *name : figureOrder) {
        for (const Figure &f : figures) {
            if (f.name == QLatin1String(name))
                out << f;
        }
    }
    // A figure missing from the order above still shows, after the others.
    for (const Figure &f : figures) {
        if (std::none_of(std::begin(figureOrder), std::end(figureOrder), [&](const char *name) { return f.name == QLatin1String(name); }))
            out << f;
    }
    return out;
}

QString number(std::optional<double> v, int decimals)
{
    return v ? QString::number(*v, 'f', decimals) : QStringLiteral("-");
}

void printTable(const BenchSize &size, const QList<Figure> &figures, const QStringList &notes)
{
    QString out;
    out += QStringLiteral("hemu-bench %1: %2 goods, %3 customers, %4 vendors, %5 bills, %6 lines\n")
               .arg(size.name)
               .arg(size.goods)
               .arg(size.customers)
               .arg(size.vendors)
               .arg(size.bills)
               .arg(size.lines);
    out += QStringLiteral("%1 %2 %3 %4 %5 %6\n")
               .arg(QStringLiteral("figure"), -18)
               .arg(QStringLiteral("value"), 11)
               .arg(QStringLiteral("raw SQLite"), 11)
               .arg(QStringLiteral("ratio"), 7)
               .arg(QStringLiteral("target"), 8)
               .arg(QString());
    for (const Figure &f : figures) {
        const QString target = f.target ? (f.baseline ? QStringLiteral("<=%1x") : QStringLiteral("<=%1")).arg(*f.target) : QString();
        out += QStringLiteral("%1 %2 %3 %4 %5 %6\n")
                   .arg(f.name, -18)
                   .arg(QString::number(f.value, 'f', 2) + QLatin1Char(' ') + f.unit, 11)
                   .arg(f.baseline ? QString::number(*f.baseline, 'f', 2) + QLatin1Char(' ') + f.unit : QStringLiteral("-"), 11)
                   .arg(number(f.ratio(), 2), 7)
                   .arg(target, 8)
                   .arg(f.target ? (f.meetsTarget() ? QStringLiteral("met") : QStringLiteral("MISSED")) : QString());
    }
    for (const QString &n : notes)
        out += QStringLiteral("  note: ") + n + QLatin1Char('\n');
    std::fputs(out.toUtf8().constData(), stdout);
    std::fflush(stdout);
}

QJsonValue jsonNumber(std::optional<double> v, int decimals)
{
    return v ? QJsonValue(QString::number(*v, 'f', decimals).toDouble()) : QJsonValue(QJsonValue::Null);
}

bool writeJson(const QString &path, const BenchSize &size, const QList<Figure> &figures)
{
    QJsonArray results;
    for (const Figure &f : figures) {
        results.append(QJsonObject{{QStringLiteral("name"), f.name},
                                   {QStringLiteral("value"), jsonNumber(f.value, 3)},
                                   {QStringLiteral("unit"), f.unit},
                                   {QStringLiteral("baseline"), jsonNumber(f.baseline, 3)},
                                   {QStringLiteral("ratio"), jsonNumber(f.ratio(), 3)},
                                   {QStringLiteral("target"), jsonNumber(f.target, 3)}});
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QJsonObject root{{QStringLiteral("size"), size.name}, {QStringLiteral("results"), results}};
    return file.write(QJsonDocument(root).toJson(QJsonDocument::Indented)) > 0;
}

} // namespace

int main(int argc, char **argv)
{
    // The window figures are measured offscreen unless another platform is asked for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    hemu::HemuApp::useChineseFonts(app);
    QStringList args = app.arguments().mid(1);
    QString sizeName = QStringLiteral("small"), json, folder, jetFile;
    QStringList only;
    int runs = 0;
    while (!args.isEmpty()) {
        const QString option = args.takeFirst();
        if (args.isEmpty())
            return usage();
        const QString value = args.takeFirst();
        if (option == QLatin1String("--size"))
            sizeName = value;
        else if (option == QLatin1String("--json"))
            json = value;
        else if (option == QLatin1String("--dir"))
            folder = value;
        else if (option == QLatin1String("--only"))
            only = value.split(QLatin1Char(','), Qt::SkipEmptyParts);
        else if (option == QLatin1String("--runs"))
            runs = value.toInt();
        else if (option == QLatin1String("--jet"))
            jetFile = value;
        else
            return usage();
    }
    BenchSize size;
    if (!BenchSize::byName(sizeName, &size) || (runs < 0))
        return usage();
    if (runs > 0)
        size.runs = runs;

    QTemporaryDir temporary;
    const bool ownFolder = folder.isEmpty();
    if (ownFolder) {
        if (!temporary.isValid()) {
            std::fputs("hemu-bench: cannot create a temporary folder\n", stderr);
            return 1;
        }
        folder = temporary.path();
    }
    QList<Figure> figures;
    QStringList notes;
    QString error;
    bool ok = false;
    const QString jetFigure = QStringLiteral("convert_jet");
    if (only != QStringList{jetFigure}) {
        Benchmark bench(size, folder);
        ok = bench.run(&error, only);
        figures = bench.figures();
        notes = bench.notes();
    } else {
        ok = true;
    }
    if (ok && (only.isEmpty() || only.contains(jetFigure))) {
        if (jetFile.isEmpty())
            notes << QStringLiteral("convert_jet: skipped (no --jet FILE)");
        else
            ok = measureConvertJet(jetFile, folder, std::max(3, std::min(size.runs, 5)), &figures, &notes, &error);
    }
    figures = ordered(figures);
    // Generated files never outlive the run.
    if (ownFolder)
        temporary.remove();
    else {
        const QString set = QDir(folder).filePath(QStringLiteral("bench-%1.xb").arg(size.name));
        QFile::remove(set);
        // The carry-forward backs the set up first, as the program does.
        QDir(hemu::BackupStore::defaultFolder(set)).removeRecursively();
    }
    if (!ok) {
        std::fprintf(stderr, "hemu-bench: %s\n", qPrintable(error));
        return 1;
    }
    printTable(size, figures, notes);
    if (!json.isEmpty() && !writeJson(json, size, figures)) {
        std::fprintf(stderr, "hemu-bench: cannot write %s\n", qPrintable(json));
        return 1;
    }
    // The targets are set for the large set; the smaller ones only show the trend.
    if (size.name == QLatin1String("large")) {
        for (const Figure &f : figures) {
            if (!f.meetsTarget())
                return 3;
        }
    }
    return 0;
}
