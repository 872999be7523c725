#pragma once

#include <QColor>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <vector>

class QPainter;

// A table of the report: a title, column headings and rows of text, drawn in slices that each
// repeat the headings, so that a table running over several pages reads on every page.
struct ReportTable {
    struct Column {
        QString heading;
        double width = 1.0; // share of the table's width
        bool number = true; // right-aligned
    };
    QString title;
    double width = 1.0; // share of the page's width, from the left margin
    std::vector<Column> columns;
    std::vector<QStringList> rows;
    // A swatch drawn in the last column's cell instead of text, when valid (a section's class).
    std::vector<QColor> swatches;
};

// Sizes of a table in points (the report draws at 72 units per inch).
struct ReportTableMetrics {
    double titleHeight = 16.0;
    double headerHeight = 12.0;
    double rowHeight = 9.5;
    double fontSize = 6.8;
};

// How many rows fit below the title and the headings in `height`; 0 when not even one does.
int RowsThatFit(double height, const ReportTableMetrics& metrics);

// Draws the title (marked as continued after the first slice), the headings and rows
// [first, last) from the top of `area`; returns the height used.
double DrawTableSlice(QPainter& painter, const QRectF& area, const ReportTable& table, int first,
                      int last, const ReportTableMetrics& metrics);
