// hemu-jetread on Jet 4 files written by tests/data/jet/make_fixtures.py: the staging file it
// writes is compared value by value with what the generator stored (FILE.expected.json), and
// damaged or foreign files end with the right exit code, no staging file and the old file as it
// was.

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

#include <sqlite3.h>

namespace {

const QString fixtures = QStringLiteral(HEMU_JET_FIXTURES);

struct Run
{
    int code; // -1 when the program did not end normally
    QString out;
    QString err;
    QString lastErrorLine() const
    {
        const QStringList lines = err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        return lines.isEmpty() ? QString() : lines.last();
    }
};

Run runReader(const QStringList &args)
{
    QProcess p;
    p.start(qEnvironmentVariable("HEMU_JETREAD"), args);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

QByteArray sha256(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// A read-only copy of a fixture in `dir`: the reader must not need to write it.
QString readOnlyCopy(const QTemporaryDir &dir, const QString &name)
{
    const QString path = dir.filePath(name);
    QFile::remove(path);
    if (!QFile::copy(fixtures + QLatin1Char('/') + name, path))
        return {};
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    return path;
}

bool onlyProgressLines(const QString &out)
{
    static const QRegularExpression progress(QStringLiteral("^progress \\S+ \\d+$"));
    for (const QString &line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        if (!progress.match(line).hasMatch())
            return false;
    return true;
}

// The staging file, read back through SQLite itself so that storage classes can be checked.
class Staging
{
public:
    explicit Staging(const QString &path)
    {
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            sqlite3_close(m_db);
            m_db = nullptr;
        }
    }
    ~Staging() { sqlite3_close(m_db); }
    bool isOpen() const { return m_db != nullptr; }

    // Every row of `sql`, each value as JSON the way the expected files write it.
    QJsonArray rows(const QString &sql) const
    {
        QJsonArray result;
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
            return {QStringLiteral("prepare failed: %1").arg(QString::fromUtf8(sqlite3_errmsg(m_db)))};
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            QJsonArray row;
            for (int i = 0; i < sqlite3_column_count(stmt); ++i)
                row.append(value(stmt, i));
            result.append(row);
        }
        sqlite3_finalize(stmt);
        return result;
    }

private:
    static QJsonValue value(sqlite3_stmt *stmt, int i)
    {
        switch (sqlite3_column_type(stmt, i)) {
        case SQLITE_NULL:
            return QJsonValue::Null;
        case SQLITE_INTEGER:
            return qint64(sqlite3_column_int64(stmt, i));
        case SQLITE_FLOAT: {
            // The double's bits, most significant byte first, as the generator writes them.
            const double d = sqlite3_column_double(stmt, i);
            quint64 bits;
            std::memcpy(&bits, &d, sizeof bits);
            return QJsonObject{{QStringLiteral("real"), QString::number(bits, 16).rightJustified(16, QLatin1Char('0'))}};
        }
        case SQLITE_TEXT:
            return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, i)),
                                     sqlite3_column_bytes(stmt, i));
        default: {
            const QByteArray blob(static_cast<const char *>(sqlite3_column_blob(stmt, i)), sqlite3_column_bytes(stmt, i));
            return QJsonObject{{QStringLiteral("blob"), QString::fromLatin1(blob.toBase64())}};
        }
        }
    }

    sqlite3 *m_db = nullptr;
};

QString quoted(const QString &name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

// The first difference between two rows, for a message that names the column.
QString firstDifference(const QJsonArray &expected, const QJsonArray &got, const QJsonArray &columns)
{
    if (expected.size() != got.size())
        return QStringLiteral("%1 values instead of %2").arg(got.size()).arg(expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        if (expected[i] != got[i]) {
            const auto show = [](const QJsonValue &v) {
                return QString::fromUtf8(QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact)).left(120);
            };
            return QStringLiteral("%1: expected %2, got %3")
                .arg(columns[i].toObject()[QStringLiteral("name")].toString(), show(expected[i]), show(got[i]));
        }
    }
    return {};
}

} // namespace

class TestJetRead : public QObject
{
    Q_OBJECT

private slots:
    void stagingHoldsWhatTheFileHolds_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("expectedFile");
        // Every column type with its edge values (NULL and empty text, extremes, doubles whose
        // 17 digits matter, dates before 1930 and after 2029, negative and invalid dates,
        // compressed, mixed and UTF-16 text outside the BMP, Chinese names, an empty table).
        QTest::newRow("every type") << "alltypes.xb" << "alltypes.xb.expected.json";
        // Memos inline, on one LVAL record and on chains, compressed and not; pictures bigger
        // than a page; empty and NULL long values.
        QTest::newRow("long values") << "longvalues.xb" << "longvalues.xb.expected.json";
        // 400 rows over several pages: deleted rows, moved rows, deleted moved rows, moved rows
        // carrying long memos.
        QTest::newRow("deleted and moved rows") << "rows.xb" << "rows.xb.expected.json";
        QTest::newRow("moved rows' places not flagged") << "unflagged.xb" << "rows.xb.expected.json";
        // The catalog's own moved row is followed and its deleted row (a dropped table) skipped.
        QTest::newRow("moved and deleted catalog rows") << "catalog.xb" << "catalog.xb.expected.json";
        QTest::newRow("database password") << "password.xb" << "rows.xb.expected.json";
        QTest::newRow("RC4-encoded pages") << "encoded.xb" << "rows.xb.expected.json";
        // A cut memo chain, a picture chain pointing nowhere, a moved row pointing nowhere: read
        // as far as they go, each with a warning.
        QTest::newRow("broken links") << "brokenlinks.xb" << "brokenlinks.xb.expected.json";
    }

    void stagingHoldsWhatTheFileHolds()
    {
        QFETCH(QString, fixture);
        QFETCH(QString, expectedFile);
        QFile expectedJson(fixtures + QLatin1Char('/') + expectedFile);
        QVERIFY(expectedJson.open(QIODevice::ReadOnly));
        const QJsonObject expected = QJsonDocument::fromJson(expectedJson.readAll()).object();
        QVERIFY(!expected.isEmpty());

        QTemporaryDir dir;
        const QString old = readOnlyCopy(dir, fixture);
        QVERIFY(!old.isEmpty());
        const QByteArray before = sha256(old);
        const QString stagingPath = dir.filePath(QStringLiteral("staging.db"));

        const Run run = runReader({old, stagingPath});
        QVERIFY2(run.code == 0, qPrintable(run.err));
        QVERIFY2(onlyProgressLines(run.out), qPrintable(run.out));
        QCOMPARE(sha256(old), before);

        Staging staging(stagingPath);
        QVERIFY(staging.isOpen());
        const QJsonArray tables = expected[QStringLiteral("tables")].toArray();
        QJsonArray expectedTables;
        for (const QJsonValue &t : tables)
            expectedTables.append(QJsonArray{t[QStringLiteral("name")], t[QStringLiteral("rows")].toArray().size()});
        QCOMPARE(staging.rows(QStringLiteral("SELECT name, row_count FROM jet_tables ORDER BY rowid")), expectedTables);

        for (const QJsonValue &t : tables) {
            const QString name = t[QStringLiteral("name")].toString();
            const QJsonArray columns = t[QStringLiteral("columns")].toArray();
            QJsonArray expectedColumns;
            int ordinal = 0;
            for (const QJsonValue &c : columns)
                expectedColumns.append(QJsonArray{++ordinal, c[QStringLiteral("name")], c[QStringLiteral("jet_type")],
                                                  c[QStringLiteral("size")], c[QStringLiteral("autonumber")]});
            QCOMPARE(staging.rows(QStringLiteral("SELECT ordinal, name, jet_type, size, autonumber FROM jet_columns"
                                                 " WHERE table_name = '%1' ORDER BY ordinal")
                                      .arg(name)),
                     expectedColumns);
            // The table itself: the columns in Jet's order, without declared types.
            QJsonArray declared;
            for (const QJsonValue &c : columns)
                declared.append(QJsonArray{c[QStringLiteral("name")], QString()});
            QCOMPARE(staging.rows(QStringLiteral("SELECT name, type FROM pragma_table_info('%1')").arg(name)), declared);

            const QJsonArray want = t[QStringLiteral("rows")].toArray();
            // The last progress line of a table gives its row count.
            QVERIFY2(run.out.contains(QStringLiteral("progress %1 %2\n").arg(name).arg(want.size())), qPrintable(run.out));
            const QJsonArray got = staging.rows(QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(quoted(name)));
            QCOMPARE(got.size(), want.size());
            for (qsizetype r = 0; r < want.size(); ++r) {
                const QString difference = firstDifference(want[r].toArray(), got[r].toArray(), columns);
                QVERIFY2(difference.isEmpty(), qPrintable(QStringLiteral("%1 row %2: %3").arg(name).arg(r + 1).arg(difference)));
            }
        }

        // Exactly the expected warnings, each naming what went wrong.
        const QJsonArray warnings = staging.rows(QStringLiteral("SELECT table_name, message FROM jet_warnings ORDER BY rowid"));
        const QJsonArray wantWarnings = expected[QStringLiteral("warnings")].toArray();
        QCOMPARE(warnings.size(), wantWarnings.size());
        for (qsizetype i = 0; i < warnings.size(); ++i) {
            QCOMPARE(warnings[i][0].toString(), wantWarnings[i][QStringLiteral("table")].toString());
            QVERIFY2(warnings[i][1].toString().contains(wantWarnings[i][QStringLiteral("contains")].toString()),
                     qPrintable(warnings[i][1].toString()));
        }
    }

    void unreadableFilesLeaveNothingBehind_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("cut inside a page") << "truncated.xb" << 3 << "旧格式套帐文件已损坏，无法读取（文件不完整）。";
        QTest::newRow("cut after the catalog") << "truncated-pages.xb" << 3 << "旧格式套帐文件已损坏，无法读取（表 RuKuDan 第 ";
        QTest::newRow("garbage over a data page") << "garbage.xb" << 3 << "旧格式套帐文件已损坏，无法读取（表 RuKuDan 第 10 页）。";
        QTest::newRow("SQLite file") << "notjet.xb" << 2 << "这个文件不是旧格式（Jet 4）的套帐文件。";
        QTest::newRow("Jet 3 file") << "jet3.xb" << 2 << "不是旧格式（Jet 4）的套帐文件。";
        QTest::newRow("no such file") << "" << 1 << "无法打开旧格式套帐文件";
    }

    void unreadableFilesLeaveNothingBehind()
    {
        QFETCH(QString, fixture);
        QFETCH(int, code);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString old = fixture.isEmpty() ? dir.filePath(QStringLiteral("missing.xb")) : readOnlyCopy(dir, fixture);
        QVERIFY(!old.isEmpty());
        const QByteArray before = sha256(old);
        const QString stagingPath = dir.filePath(QStringLiteral("staging.db"));

        const Run run = runReader({old, stagingPath});
        QCOMPARE(run.code, code);
        QVERIFY2(run.lastErrorLine().contains(message), qPrintable(run.err));
        QVERIFY2(onlyProgressLines(run.out), qPrintable(run.out));
        QVERIFY(!QFile::exists(stagingPath));
        QVERIFY(!QFile::exists(stagingPath + QStringLiteral("-journal")));
        QCOMPARE(sha256(old), before);
    }

    void stagingThatCannotBeWrittenIsRefused_data()
    {
        QTest::addColumn<bool>("existing");
        QTest::newRow("file already there") << true;
        QTest::newRow("folder missing") << false;
    }

    void stagingThatCannotBeWrittenIsRefused()
    {
        QFETCH(bool, existing);
        QTemporaryDir dir;
        const QString old = readOnlyCopy(dir, QStringLiteral("rows.xb"));
        const QString stagingPath = existing ? dir.filePath(QStringLiteral("staging.db"))
                                             : dir.filePath(QStringLiteral("no-such-folder/staging.db"));
        if (existing) {
            QFile f(stagingPath);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("someone else's file");
        }

        const Run run = runReader({old, stagingPath});
        QCOMPARE(run.code, 4);
        QVERIFY2(run.lastErrorLine().startsWith(QStringLiteral("无法创建临时文件 ")), qPrintable(run.err));
        if (existing) { // left exactly as it was
            QFile f(stagingPath);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), QByteArray("someone else's file"));
        } else {
            QVERIFY(!QFile::exists(stagingPath));
        }
    }
};

QTEST_GUILESS_MAIN(TestJetRead)
#include "test_jetread.moc"
