// hemu-cli: the account-set tool without windows.
#include "cli/commands.h"

#include <QGuiApplication>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

int usage()
{
    std::fputs("usage:\n"
               "  hemu-cli new FILE [--force]                 write a blank account set\n"
               "  hemu-cli demo FILE [--force]                write an account set with demonstration data\n"
               "  hemu-cli convert OLD.xb NEW.xb              convert an account set kept in the old (Jet 4) format into\n"
               "                                              a new one (never over an existing file) and print a summary\n"
               "  hemu-cli export FILE TABLE [--format csv|json]\n"
               "                                              every column of TABLE, rows in key order\n"
               "  hemu-cli check FILE                         verify the file's structure, bill totals and period counters\n"
               "  hemu-cli exec FILE [--user ID --password PW] [--answer yes|no] [--busy-timeout MS]\n"
               "                                              run operations given as JSON lines on stdin\n"
               "  hemu-cli report FILE NAME [--category ID|all] [--with-empty] --out PATH\n"
               "                                              NAME book-stock, physical-stock, main-store or goods-list,\n"
               "                                              written as text (.txt) or PDF (.pdf)\n"
               "  hemu-cli print-bill FILE KIND TABID --out PATH [--line]\n"
               "                                              bill TABID of KIND (1 stock-in, 2 delivery, 3 receipt) as the\n"
               "                                              page-printed bill or (--line) the line-printed form, .txt or .pdf\n"
               "  hemu-cli scan-orphans FILE [--delete]       list (or delete) bill lines whose bill is gone\n"
               "  hemu-cli renumber FILE                      number every bill's lines 1, 2, 3...\n"
               "  hemu-cli set-password FILE USER             USER (id or name) gets the password read from stdin\n"
               "  hemu-cli show FILE LIST [--customer ID] [--as-of DATE] [--json]\n"
               "                                              LIST receivables, receivables-detail, stock or customer-stock:\n"
               "                                              the lists of the receivables and stock-change windows;\n"
               "                                              goods-flow: the goods-flow window's lines;\n"
               "                                              payables, profits, all-profit or category-sales: those\n"
               "                                              of the payables and profit windows\n"
               "                                              held-age: what customers hold by age on DATE (default today)\n"
               "  hemu-cli show FILE market GOODID [--json]   the purchase history behind the market charts\n"
               "  hemu-cli statement FILE CUSTID [--from DATE] [--to DATE] --out PATH\n"
               "                                              the customer's statement over the days given (yyyy-MM-dd),\n"
               "                                              as JSON (.json), or printed as text (.txt) or PDF (.pdf)\n"
               "  hemu-cli import FILE TABLE DATA.csv|DATA.xlsx [--dry-run] [--user ID --password PW]\n"
               "                                              master data into TABLE (Goods, Catalogs, Units, Customers,\n"
               "                                              Vendors, Employees, OpeningBalances); refused rows are named\n"
               "  hemu-cli --version                          the program's version\n",
               stderr);
    return 2;
}

/// Removes `--name value` from `args`; returns the value or `fallback`.
QString takeOption(QStringList &args, const QString &name, const QString &fallback)
{
    const int i = args.indexOf(name);
    if (i < 0 || i + 1 >= args.size())
        return fallback;
    const QString value = args.at(i + 1);
    args.remove(i, 2);
    return value;
}

} // namespace

int main(int argc, char **argv)
{
    // Reports paint with fonts, which needs the GUI application (offscreen: no display).
    // So does a statement written as pages (text or PDF); its JSON does not.
    const auto pagedStatement = [&] {
        if (argc < 2 || std::strcmp(argv[1], "statement") != 0)
            return false;
        for (int i = 2; i + 1 < argc; ++i) {
            if (std::strcmp(argv[i], "--out") == 0)
                return !QByteArray(argv[i + 1]).toLower().endsWith(".json");
        }
        return false;
    };
    const bool report = argc > 1 && (std::strcmp(argv[1], "report") == 0 || std::strcmp(argv[1], "print-bill") == 0 || pagedStatement());
    if (report && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app
        = report ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    QStringList args = app->arguments().mid(1);
    if (args == QStringList{QStringLiteral("--version")}) {
        std::printf("hemu-cli %s\n", HEMU_VERSION);
        return 0;
    }
    if (args.size() < 2)
        return usage();
    const QString command = args.takeFirst();
    if (command == QLatin1String("new") || command == QLatin1String("demo")) {
        const bool force = args.removeAll(QStringLiteral("--force")) > 0;
        if (args.size() != 1)
            return usage();
        return hemu::cli::createSet(args.at(0), force, command == QLatin1String("demo"));
    }
    if (command == QLatin1String("convert"))
        return args.size() == 2 ? hemu::cli::convertSet(args.at(0), args.at(1)) : usage();
    if (command == QLatin1String("export")) {
        const QString format = takeOption(args, QStringLiteral("--format"), QStringLiteral("csv"));
        if (args.size() != 2)
            return usage();
        return hemu::cli::exportTable(args.at(0), args.at(1), format);
    }
    if (command == QLatin1String("check")) {
        if (args.size() != 1)
            return usage();
        return hemu::cli::checkBooks(args.at(0));
    }
    if (command == QLatin1String("exec")) {
        const QString file = args.takeFirst();
        return hemu::cli::execOperations(file, args);
    }
    if (command == QLatin1String("report")) {
        const QString category = takeOption(args, QStringLiteral("--category"), QStringLiteral("all"));
        const QString out = takeOption(args, QStringLiteral("--out"), QString());
        const bool withEmpty = args.removeAll(QStringLiteral("--with-empty")) > 0;
        if (args.size() != 2 || out.isEmpty())
            return usage();
        return hemu::cli::makeReport(args.at(0), args.at(1), category, withEmpty, out);
    }
    if (command == QLatin1String("print-bill")) {
        const QString out = takeOption(args, QStringLiteral("--out"), QString());
        const bool line = args.removeAll(QStringLiteral("--line")) > 0;
        if (args.size() != 3 || out.isEmpty())
            return usage();
        return hemu::cli::printBill(args.at(0), args.at(1), args.at(2), line, out);
    }
    if (command == QLatin1String("scan-orphans")) {
        const bool remove = args.removeAll(QStringLiteral("--delete")) > 0;
        return args.size() == 1 ? hemu::cli::scanOrphans(args.at(0), remove) : usage();
    }
    if (command == QLatin1String("renumber"))
        return args.size() == 1 ? hemu::cli::renumberDetails(args.at(0)) : usage();
    if (command == QLatin1String("show")) {
        const QString customer = takeOption(args, QStringLiteral("--customer"), QString());
        const QString asOfText = takeOption(args, QStringLiteral("--as-of"), QString());
        const QDate asOf = QDate::fromString(asOfText, QStringLiteral("yyyy-MM-dd"));
        if (!asOfText.isEmpty() && !asOf.isValid())
            return usage();
        const bool asJson = args.removeAll(QStringLiteral("--json")) > 0;
        bool ok = true;
        const int custId = customer.isEmpty() ? 0 : customer.toInt(&ok);
        // The market list takes the goods item after its name.
        const QString item = args.size() == 3 && args.at(1) == QLatin1String("market") ? args.takeLast() : QString();
        if (args.size() != 2 || !ok || (!customer.isEmpty() && custId <= 0))
            return usage();
        return hemu::cli::showList(args.at(0), args.at(1), custId, asJson, item, asOf);
    }
    if (command == QLatin1String("statement")) {
        const QString from = takeOption(args, QStringLiteral("--from"), QString());
        const QString to = takeOption(args, QStringLiteral("--to"), QString());
        const QString out = takeOption(args, QStringLiteral("--out"), QString());
        bool ok = false;
        const qint64 customer = args.size() == 2 ? args.at(1).toLongLong(&ok) : 0;
        if (!ok || customer <= 0 || out.isEmpty())
            return usage();
        return hemu::cli::writeStatement(args.at(0), customer, from, to, out);
    }
    if (command == QLatin1String("set-password"))
        return args.size() == 2 ? hemu::cli::setPassword(args.at(0), args.at(1)) : usage();
    if (command == QLatin1String("import")) {
        const bool dryRun = args.removeAll(QStringLiteral("--dry-run")) > 0;
        const int user = takeOption(args, QStringLiteral("--user"), QStringLiteral("1")).toInt();
        const QString password = takeOption(args, QStringLiteral("--password"), QString());
        if (args.size() != 3)
            return usage();
        return hemu::cli::importMasterData(args.at(0), args.at(1), args.at(2), dryRun, user, password);
    }
    return usage();
}
