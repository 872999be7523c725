#include "synth/CommandLine.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace synth {

const char* const kUsage =
    "usage: vorlix-synth OUT/NAME [options]\n"
    "Writes a synthetic test: OUT/NAME.KVT (raw record), NAME.GPS, NAME.IMG, NAME.DAT\n"
    "(companions), NAME.truth.csv (true ratio per half foot) and Vorlixcontrol.dat.\n"
    "  --groups G         groups of 250 samples (0.25 s each), 1..130000 (default 2000)\n"
    "  --channels A       active channels, 2..12: load, geophones 1-3, auxiliary (default 5)\n"
    "  --seed S           random seed; the same seed gives the same bytes (default 1)\n"
    "  --speed-mph V      vehicle speed, above 0 and at most 100 (default 10)\n"
    "  --stops            one or two standing stretches of a few seconds\n"
    "  --start-ft D       DMI distance at the start, 0..1000000 (default 0)\n"
    "  --noise X          noise scale, 0..100; 0 gives clean signals (default 1)\n"
    "  --gpr pulse|qxr|none   GPR file kind \"PULSE07\", \"QXR-GPR\" or none (default qxr)\n"
    "  --pictures N       road pictures, 0 for none (default one per 25 ft, at most 1000)\n"
    "  --workdir DIR      folder of Vorlixcontrol.dat (default: the folder of OUT/NAME)\n"
    "  --sections K       K steps of the true ratio, each a factor 0.7..1.4 from its distance\n"
    "                     on, in the truth table's third column (default 0)\n"
    "  --help             this text\n";

namespace {

bool ParseInt(const std::string& text, long long low, long long high, long long* value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, *value);
    return ec == std::errc() && ptr == end && *value >= low && *value <= high;
}

bool ParseUnsigned(const std::string& text, std::uint64_t* value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, *value);
    return ec == std::errc() && ptr == end;
}

bool ParseNumber(const std::string& text, double* value) {
    if (text.empty())
        return false;
    char* end = nullptr;
    *value = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(*value);
}

} // namespace

CommandLineResult ParseCommandLine(const std::vector<std::string>& args, Options* options,
                                   std::string* error) {
    auto fail = [&](const std::string& message) {
        *error = message;
        return CommandLineResult::Error;
    };
    Options o;
    bool haveBase = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h")
            return CommandLineResult::Help;
        if (arg == "--stops") {
            o.stops = true;
            continue;
        }
        if (arg.rfind("--", 0) != 0) {
            if (haveBase)
                return fail("more than one output name: \"" + arg + "\"");
            o.outBase = arg;
            haveBase = true;
            continue;
        }
        static const char* const kWithValue[] = {
            "--groups", "--channels", "--seed",     "--speed-mph", "--start-ft",
            "--noise",  "--gpr",      "--pictures", "--workdir",   "--sections"};
        bool known = false;
        for (const char* name : kWithValue)
            known = known || arg == name;
        if (!known)
            return fail("unknown option \"" + arg + "\"");
        if (i + 1 >= args.size())
            return fail(arg + " needs a value");
        const std::string& value = args[++i];
        long long whole = 0;
        double number = 0;
        if (arg == "--groups") {
            if (!ParseInt(value, 1, kMaxGroups, &whole))
                return fail("--groups must be a whole number from 1 to " +
                            std::to_string(kMaxGroups) + ", not \"" + value + "\"");
            o.groups = static_cast<int>(whole);
        } else if (arg == "--channels") {
            if (!ParseInt(value, 2, 12, &whole))
                return fail("--channels must be a whole number from 2 to 12, not \"" + value +
                            "\"");
            o.channels = static_cast<int>(whole);
        } else if (arg == "--seed") {
            if (!ParseUnsigned(value, &o.seed))
                return fail("--seed must be a whole number from 0 to 2^64-1, not \"" + value +
                            "\"");
        } else if (arg == "--speed-mph") {
            if (!ParseNumber(value, &number) || !(number > 0.0 && number <= 100.0))
                return fail("--speed-mph must be above 0 and at most 100, not \"" + value + "\"");
            o.speedMph = number;
        } else if (arg == "--start-ft") {
            if (!ParseNumber(value, &number) || !(number >= 0.0 && number <= 1.0e6))
                return fail("--start-ft must be from 0 to 1000000, not \"" + value + "\"");
            o.startFt = number;
        } else if (arg == "--noise") {
            if (!ParseNumber(value, &number) || !(number >= 0.0 && number <= 100.0))
                return fail("--noise must be from 0 to 100, not \"" + value + "\"");
            o.noise = number;
        } else if (arg == "--gpr") {
            if (value == "pulse")
                o.gpr = Options::Gpr::Pulse;
            else if (value == "qxr")
                o.gpr = Options::Gpr::Qxr;
            else if (value == "none")
                o.gpr = Options::Gpr::None;
            else
                return fail("--gpr must be pulse, qxr or none, not \"" + value + "\"");
        } else if (arg == "--pictures") {
            if (!ParseInt(value, 0, kMaxPictures, &whole))
                return fail("--pictures must be a whole number from 0 to " +
                            std::to_string(kMaxPictures) + ", not \"" + value + "\"");
            o.pictures = static_cast<int>(whole);
        } else if (arg == "--sections") {
            if (!ParseInt(value, 0, kMaxSections, &whole))
                return fail("--sections must be a whole number from 0 to " +
                            std::to_string(kMaxSections) + ", not \"" + value + "\"");
            o.sections = static_cast<int>(whole);
        } else if (arg == "--workdir") {
            if (value.empty())
                return fail("--workdir needs a folder");
            o.workDir = value;
        }
    }
    if (!haveBase)
        return fail("the output name OUT/NAME is missing");
    *options = o;
    return CommandLineResult::Run;
}

} // namespace synth
