#pragma once

#include "analysis/SectionClasses.h"
#include "analysis/Sections.h"
#include "charts/ReportDocument.h"

#include <QDate>

#include <optional>

class CVorlixDoc;

// What the report says about a test: the file, the settings its results were computed with,
// the sections and flags, and the map of its GPS track.
namespace report {

struct ReportSource {
    const CVorlixDoc& doc; // the raw file open, its analysis settings and GPS track
    const sections::Profile& profile;
    const sections::Result& result;
    const sections::Parameters& parameters;
    std::optional<sections::ClassLimits> classLimits; // none: the quartiles
};

ReportContent ContentOf(const ReportSource& source, const QDate& date = QDate::currentDate());

} // namespace report
