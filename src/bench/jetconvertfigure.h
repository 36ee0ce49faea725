#pragma once

#include "bench/benchmark.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace hemu::bench {

/**
 * The conversion figure `convert_jet`: an old-format (Jet 4) file converted into a new account
 * set by JetConverter (reader, mapping, checks, books check), against the reader alone plus
 * raw SQLite copying the same rows into a plain file in one transaction. The Jet file is made
 * outside the bench (tests/data/jet/sets/make_sets.py --bench FILE).
 */
bool measureConvertJet(const QString &jetFile, const QString &folder, int runs, QList<Figure> *figures, QStringList *notes,
                       QString *error);

} // namespace hemu::bench
