#pragma once

// Both data modules on a blank temporary account set: fixture rows go in with plain SQL
// before the datasets open, as the open command of the main window would find them.

#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/prompter.h"
#include "support/testsupport.h"

#include <QSqlError>
#include <QStringList>
#include <algorithm>

namespace hemu::test {

/** BaseData and TabData over a blank account set in a temporary folder. */
class DataModules
{
public:
    DataModules()
    {
        QString error;
        if (!base.MyADOCnn().open(set.path(), &error))
            qFatal("cannot open test account set: %s", qPrintable(error));
        prompter.setDefaultAnswer(true);
    }

    void exec(const QString &sql, const QVariantList &params = {})
    {
        QSqlError error;
        if (!base.MyADOCnn().exec(sql, params, &error))
            qFatal("fixture statement failed: %s: %s", qPrintable(sql), qPrintable(error.text()));
    }
    void exec(const QStringList &statements)
    {
        for (const QString &sql : statements)
            exec(sql);
    }
    QVariant scalar(const QString &sql, const QVariantList &params = {}) { return base.MyADOCnn().scalar(sql, params); }
    int count(const QString &sql, const QVariantList &params = {}) { return scalar(sql, params).toInt(); }

    /// The open loop of the account-set open; the failure message, empty when all opened.
    QString openTables()
    {
        const auto failure = base.registry().openTables();
        return failure ? failure->message() : QString();
    }

    /// A dataset by component name: "tab.Goods" is TabData's stock view, "Goods" BaseData's
    /// master view; other names are unique across both modules.
    Dataset *dataset(const QString &name)
    {
        const bool tabFirst = name.startsWith(QLatin1String("tab."));
        const QString bare = tabFirst ? name.mid(4) : name;
        QList<Dataset *> all = base.registry().datasets();
        if (tabFirst)
            std::reverse(all.begin(), all.end());
        for (Dataset *ds : all) {
            if (ds->name() == bare)
                return ds;
        }
        qFatal("no dataset named %s", qPrintable(name));
        return nullptr;
    }

    /// `field` of every row in view order, as integers.
    static QList<int> ints(Dataset &ds, const QString &field)
    {
        QList<int> out;
        const int index = ds.fieldIndex(field);
        for (int row = 0; row < ds.rowCount(); ++row)
            out << ds.value(row, index).toInt();
        return out;
    }
    static QList<int> sorted(QList<int> list)
    {
        std::sort(list.begin(), list.end());
        return list;
    }

    TempAccountSet set;
    ScriptedPrompter prompter;
    BaseData base{prompter};
    TabData tab{base};
};

} // namespace hemu::test
