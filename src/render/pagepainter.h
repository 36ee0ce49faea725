#pragma once

#include "core/reports/pagemodel.h"

#include <QFont>

class QPainter;

namespace hemu::render {

/// The installed font that stands for a report's font name: 黑体 → Noto Sans CJK SC, every
/// other name (宋体 above all) → Noto Serif CJK SC.
QString installedFamily(const QString &reportFamily);

/**
 * Paints one laid-out page onto any paint device (screen, printer, PDF) whose coordinate
 * system has `dotsPerMm` device units per millimetre, with the paper's top left corner at the
 * painter's origin.
 */
void paintPage(QPainter &painter, const reports::Page &page, double dotsPerMm);

} // namespace hemu::render
