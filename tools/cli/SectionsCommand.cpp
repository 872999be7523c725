#include "Commands.h"
#include "OutputLedger.h"
#include "ProgressBar.h"

#include "analysis/Sections.h"
#include "document/CVorlixDoc.h"
#include "pipeline/GeoExport.h"
#include "pipeline/GeoTrack.h"
#include "pipeline/RawFileLoader.h"
#include "pipeline/SectionsExport.h"
#include "pipeline/SectionsSettingsFile.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace {

const char* const kUsage =
    "usage: vorlix-cli sections FILE.KVT... [--out-dir DIR] [--min-length FT] [--alpha A]\n"
    "         [--k K] [--merge D] [--threshold V] [--gap FT] [--min-flag N] [-j N]\n"
    "         [--geo] [--workdir DIR]\n"
    "Uniform sections and weak spots of the 1-foot results; the parameters not given come from\n"
    "Vorlixsections.ini in the working folder.\n"
    "  --geo   also NAME.results.csv, NAME.geojson and NAME.kml, located on the GPS track, and\n"
    "          coordinate columns at the end of the sections and flags files\n";

int Usage(const std::string& error) {
    std::fprintf(stderr, "vorlix-cli sections: %s\n%s", error.c_str(), kUsage);
    return 2;
}

// Each option and the settings-file key it overrides.
const std::pair<const char*, const char*> kParameterOptions[] = {
    {"min-length", "min_length"}, {"alpha", "alpha"},         {"k", "k"},
    {"merge", "merge"},           {"threshold", "threshold"}, {"gap", "gap"},
    {"min-flag", "min_flag"}};

void PrintTable(const sections::Result& result) {
    std::printf("%3s  %-12s %-12s %10s %10s %14s\n", "#", "start", "end", "length ft", "mean",
                "characteristic");
    int number = 0;
    for (const sections::Section& s : result.sections)
        std::printf("%3d  %-12s %-12s %10.1f %10.4f %14.4f\n", ++number, s.startStation.c_str(),
                    s.endStation.c_str(), s.endFt - s.startFt, s.mean, s.characteristic);
    std::printf("%zu sections, %zu flags\n", result.sections.size(), result.flags.size());
}

// The map outputs of --geo, and the class limits of the settings file (none: the quartiles).
struct GeoRequest {
    bool on = false;
    std::optional<sections::ClassLimits> limits;
};

// Analyses one raw file as if it were the only one; false when it failed (reported on stderr,
// after `where`, which names the file when there are several).
bool SectionsOfFile(CVorlixDoc& doc, RawFileLoader& loader, const std::string& path,
                    const CliArgs& args, const sections::Parameters& parameters, int jobs,
                    const GeoRequest& geo, const std::string& where, OutputLedger& ledger) {
    // Every segment is read below: the open only takes the file and its tables.
    const LoadResult opened = loader.OpenNewFile(doc, path, OpenOptions{.readFirstSegment = false});
    if (!opened.fileOpened) {
        std::fprintf(stderr, "vorlix-cli: %s%s\n", where.c_str(), opened.message.c_str());
        return false;
    }
    const sectionsexport::CsvPaths paths =
        sectionsexport::CsvPathsOf(path, args.Value("out-dir").value_or(""));
    const geoexport::GeoPaths geoPaths =
        geoexport::GeoPathsOf(path, args.Value("out-dir").value_or(""));
    std::vector<std::string> outputs = {paths.sections, paths.flags};
    if (geo.on)
        outputs.insert(outputs.end(), {geoPaths.results, geoPaths.geojson, geoPaths.kml});
    const std::string earlier = ledger.EarlierWriter(path, outputs);
    if (!earlier.empty()) {
        std::fprintf(stderr, "vorlix-cli: %snot written: %s and %s hold the sections of %s\n",
                     where.c_str(), paths.sections.c_str(), paths.flags.c_str(), earlier.c_str());
        return false;
    }

    ProgressBar bar("sections");
    const ExportOptions options{.jobs = jobs, .reloadShownSegment = false};
    const sectionsexport::ProfileStatus read =
        sectionsexport::CollectProfile(doc, loader, options, bar.Callback());
    bar.Finish();
    if (!read.ok) {
        std::fprintf(stderr, "vorlix-cli: %ssections failed: %s\n", where.c_str(),
                     read.message.c_str());
        return false;
    }
    const sections::Result result = sections::Analyse(read.profile, parameters);
    std::string error;
    const geo::GeoTrack track(doc.gps);
    const std::string name = path.substr(path.find_last_of('/') + 1);
    const geoexport::GeoInput input{
        read.profile, result, geo.limits.value_or(sections::DefaultClassLimits(result.sections)),
        track, name};
    if (geo.on ? !geoexport::WriteGeoFiles(geoPaths, input, &error)
               : !sectionsexport::WriteCsvFiles(paths, result, &error)) {
        std::fprintf(stderr, "vorlix-cli: %ssections failed: %s\n", where.c_str(), error.c_str());
        return false;
    }
    ledger.Record(path, outputs);
    std::printf("Sections of %zu results of %d segments\n", read.profile.value.size(),
                read.segmentCount);
    PrintTable(result);
    for (const std::string& output : outputs)
        std::printf("  %s\n", output.c_str());
    if (geo.on && !track.Usable())
        std::fprintf(stderr,
                     "vorlix-cli: %s%s; the coordinates stay empty and the GeoJSON and KML "
                     "hold no features\n",
                     where.c_str(), track.Problem().c_str());
    std::fflush(stdout);
    return true;
}

} // namespace

int RunSections(const CliArgs& args) {
    std::string error;
    std::vector<std::string> known = {"out-dir", "jobs", "geo"};
    for (const auto& [option, key] : kParameterOptions)
        known.push_back(option);
    int jobs = 0;
    if (!args.OnlyKnown(known, &error))
        return Usage(error);
    if (args.Positional().empty())
        return Usage("a raw file is needed");
    if (!args.JobsValue(&jobs, &error))
        return Usage(error);

    // The settings file first, the options over it.
    SectionsSettingsFile settings;
    if (!settings.Load(args.WorkDirectory(), &error))
        return Usage(error);
    for (const auto& [option, key] : kParameterOptions)
        if (const auto value = args.Value(option); value && !settings.Set(key, *value, &error))
            return Usage(args.Spelling(option) + ": " + error);

    auto doc = std::make_unique<CVorlixDoc>(args.WorkDirectory());
    RawFileLoader loader;
    OutputLedger ledger;
    const bool several = args.Positional().size() > 1;
    bool failed = false;
    for (const std::string& path : args.Positional())
        if (!SectionsOfFile(*doc, loader, path, args, settings.parameters, jobs,
                            {args.Has("geo"), settings.classLimits}, several ? path + ": " : "",
                            ledger))
            failed = true;
    return failed ? 1 : 0;
}
