#pragma once

#include "analysis/SectionClasses.h"
#include "analysis/Sections.h"
#include "charts/ReportTable.h"

#include <QByteArray>
#include <QRectF>
#include <QString>

#include <functional>
#include <string>
#include <vector>

class QPainter;

// The PDF report of a test: US Letter pages of vector drawing and real text. Page 1 holds the
// file, the settings used, the whole road's profile and the map; the tables of the sections
// and the flags follow, their headings repeated on every page. Each page has a header (file
// name, date) and a footer ("n of m").
namespace report {

struct Field {
    QString label;
    QString value;
};

struct ReportContent {
    QString fileName; // in the header of every page
    QString date;     // the day the report was written
    std::vector<Field> file;
    std::vector<Field> settings;
    sections::Profile profile;
    sections::Result result;
    sections::ClassLimits limits;
    // Draws the map into its box; when empty, mapNote is written there instead.
    std::function<void(QPainter&, const QRectF&)> drawMap;
    QString mapNote;
};

// The two tables: stations rather than raw feet, and the class of each section with its colour.
ReportTable SectionsTable(const sections::Result& result, const sections::ClassLimits& limits);
ReportTable FlagsTable(const sections::Result& result);

// The whole PDF; pageCount (when given) receives its number of pages.
QByteArray ReportPdf(const ReportContent& content, int* pageCount = nullptr);

// Writes the PDF to `path` through a temporary name in its folder, so that a failed write
// leaves no file, and no half-written one, under that name; false with `error` saying why.
bool WriteReport(const ReportContent& content, const std::string& path, std::string* error);

} // namespace report
