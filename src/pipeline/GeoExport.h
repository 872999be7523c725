#pragma once

#include "analysis/SectionClasses.h"
#include "analysis/Sections.h"
#include "pipeline/GeoTrack.h"

#include <string>

// The sections, flags and 1-ft results of a file located on the GPS track, for GIS tools:
// CSV files with coordinates, a GeoJSON (RFC 7946) and a KML 2.2 file.
namespace geoexport {

// NAME.sections.csv, NAME.flags.csv, NAME.results.csv, NAME.geojson and NAME.kml beside
// rawPath, or in outDir when it is not empty.
struct GeoPaths {
    std::string sections, flags, results, geojson, kml;
};
GeoPaths GeoPathsOf(const std::string& rawPath, const std::string& outDir = {});

struct GeoInput {
    const sections::Profile& profile;
    const sections::Result& result;
    sections::ClassLimits limits;
    const geo::GeoTrack& track;
    std::string title; // names the KML document: the raw file's name
};

// The sections and flags CSV texts with coordinates at the end of each row:
// start_lat,start_lon,end_lat,end_lon for a section, lat,lon of its peak for a flag; empty when
// the track locates nothing.
std::string SectionsCsv(const GeoInput& input);
std::string FlagsCsv(const GeoInput& input);
// One row per 1-ft result, in the profile's order:
// distance_ft,station,value,section,flag,latitude,longitude. Coordinates with 7 decimals.
std::string ResultsCsv(const GeoInput& input);
// A FeatureCollection in WGS 84, [longitude, latitude]: a LineString per section along the
// track, whose properties are its CSV fields, `class` and `stroke`, and a Point per flag at
// its peak with the flag's CSV fields. Without a usable track it has no features and its
// "description" says why.
std::string GeoJson(const GeoInput& input);
// KML 2.2: a line style per class, the sections as lines and the flags as points, each with its
// fields as data and as a description table. Without a usable track only the document and why.
std::string Kml(const GeoInput& input);

// Writes the five files, each through a temporary name, renamed into place only when all are
// written; false with `error` saying why.
bool WriteGeoFiles(const GeoPaths& paths, const GeoInput& input, std::string* error);

} // namespace geoexport
