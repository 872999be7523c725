#pragma once

#include "analysis/Sections.h"

#include <QRectF>

class QPainter;

// The whole road's 1-ft results in one chart for the report: the results as a line (the
// lowest and highest value of each sliver of the width, so that a long road stays a small
// drawing), each section's mean and characteristic value across it, section boundaries
// dashed, flags as bands with a marker over their peak. Axes in feet and in result units.
void DrawProfileChart(QPainter& painter, const QRectF& area, const sections::Profile& profile,
                      const sections::Result& result);
