// vorlix-cli as a user runs it: whole outputs, whole messages and exact exit codes. Decimal
// numbers are read back from the output and compared with the library's own results for the
// same file, to the precision printed.
#include "support/SynthFixture.h"

#include "analysis/SpectrumData.h"
#include "document/CVorlixDoc.h"
#include "pipeline/RawFileLoader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <pty.h>
#include <regex>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A run of the tool: its arguments, exit code, stdout and stderr (on a terminal or not). In
// `out` a "#" stands for a decimal number, the next of `values`.
struct Case {
    std::string arguments;
    int code = -1;
    std::string out{}, err{};
    bool terminal = false;
    std::vector<double> values{};
};

// Printed text with each decimal number as "#" and each run of blanks as one; the numbers'
// values, and half a unit of their last digit.
struct Printed {
    std::string text;
    std::vector<double> values{}, tolerances{};
};
Printed Parse(const std::string& out) {
    static const std::regex number(R"(-?\d+\.(\d+))"), blanks(" +");
    Printed p{std::regex_replace(std::regex_replace(out, number, "#"), blanks, " ")};
    for (std::sregex_iterator i(out.begin(), out.end(), number), end; i != end; ++i) {
        p.values.push_back(std::stod(i->str()));
        p.tolerances.push_back(0.51 * std::pow(10.0, -i->length(1)));
    }
    return p;
}

std::string S(auto number) {
    return std::to_string(number);
}

// The tool, run in `dir`, with stdout on a pipe and stderr in a file, or on a terminal when
// `terminal` (where the progress bar is drawn), after the shell commands `before`.
Case RunCli(const std::string& arguments, const TempDir& dir, bool terminal = false,
            const std::string& before = "") {
    int master = -1, slave = -1;
    std::string errTo = dir.File("stderr.txt");
    if (terminal) {
        termios raw{};
        cfmakeraw(&raw);
        if (openpty(&master, &slave, nullptr, &raw, nullptr) != 0)
            return {};
        errTo = ttyname(slave);
        fcntl(master, F_SETFL, O_NONBLOCK);
    }
    const std::string command =
        "cd " + dir.Path() + " && " + before + VORLIX_CLI_PATH + " " + arguments;
    std::FILE* pipe = popen((command + " 2>" + errTo).c_str(), "r");
    Case run{arguments};
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        run.out.append(buffer, got);
    const int status = pclose(pipe);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const int from = terminal ? master : open(errTo.c_str(), O_RDONLY);
    for (ssize_t got; (got = read(from, buffer, sizeof buffer)) > 0;)
        run.err.append(buffer, static_cast<std::size_t>(got));
    close(from), close(slave); // slave is -1 when not on a terminal
    return run;
}

// Run in one folder: road.KVT, 401 groups of two channels with every companion; odd.KVT, its
// copy whose companions are refused; long.KVT, 13,201 groups in two segments (12,800, then
// 401) with only a pulse GPR file: groups that stand at 0 ft, then the groups of road.KVT.
class CliTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        shared = std::make_unique<TempDir>();
        synth::Options options = SmallSynthOptions();
        options.groups = 401, options.channels = 2;
        GenerateSynthFiles(*shared, options);
        const std::string road = ReadFile(shared->File("road.KVT"));
        std::string standing = road.substr(8000, 1100);
        standing.replace(12, 4, 4, '\0');
        std::ofstream out(shared->File("long.KVT"), std::ios::binary);
        out << road.substr(0, 8000);
        for (int g = 0; g < 12800; ++g)
            out << standing;
        out << road.substr(8000);
        std::ofstream(shared->File("odd.KVT"), std::ios::binary) << road;
        std::ofstream(shared->File("empty.KVT"), std::ios::binary) << road.substr(0, 8000);
        std::ofstream(shared->File("odd.IMG")) << std::string(300, '\0');
        std::ofstream(shared->File("odd.DAT")) << std::string(2048, 'x');
        std::ofstream(shared->File("long.DAT")) << "PULSE07" << std::string(3 * 2048 - 7, '\0');
        CKVTcontrol bad; // settings whose band the analysis refuses
        bad.settingsPath = shared->File(CKVTcontrol::kSettingsFileName);
        bad.LoadSettings();
        bad.bandpassLow = 40, bad.bandpassHigh = 20;
        std::filesystem::create_directory(shared->File("bad"));
        bad.settingsPath = shared->File("bad/") + CKVTcontrol::kSettingsFileName;
        bad.SaveSettings();
    }

    // The document the tool sees for `segment` of a raw file.
    static std::unique_ptr<CVorlixDoc> Load(const std::string& name, int segment) {
        auto doc = std::make_unique<CVorlixDoc>(shared->Path());
        RawFileLoader loader;
        loader.OpenNewFile(*doc, shared->File(name), OpenOptions{.readFirstSegment = false});
        doc->options.currentSegment = segment;
        loader.ReloadCurrentFile(*doc);
        return doc;
    }
    // Runs each case (with the folder's settings unless it names its own) and compares wholly.
    static void Check(const std::vector<Case>& cases) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.arguments);
            const bool own = c.arguments.find(' ') == c.arguments.npos || // a command alone
                             c.arguments.find("--workdir") != c.arguments.npos;
            const Case run = RunCli(c.arguments + (own ? "" : " --workdir " + shared->Path()),
                                    *shared, c.terminal);
            EXPECT_EQ(run.code, c.code);
            EXPECT_EQ(run.err, c.err);
            const Printed out = Parse(run.out), expected = Parse(c.out);
            EXPECT_EQ(out.text, expected.text);
            const std::vector<double>& values = c.values.empty() ? expected.values : c.values;
            ASSERT_EQ(out.values.size(), values.size());
            for (std::size_t i = 0; i < values.size(); ++i)
                EXPECT_NEAR(out.values[i], values[i], out.tolerances[i]) << "number " << i;
        }
    }

    static inline std::unique_ptr<TempDir> shared; // removed at exit
};

// The cycles table, or the CSV rows, of the segment in a document.
Case Cycles(const std::string& arguments, const CVorlixDoc& d, bool csv) {
    Case c{arguments, 0,
           csv ? "kind,index,distance_ft,load_amplitude,geo_amplitude,ratio\n"
               : "Segment " + S(d.options.currentSegment) + ": " + S(d.loadCycleCount) +
                     " load cycles, " + S(d.geoCycleCount) + " geophone cycles, " +
                     S(d.cycleCount) +
                     " paired cycles\n cycle distance ft load amp geo amp ratio\n"};
    for (int j = 0; j < d.cycleCount; ++j) {
        c.out += csv ? "cycle," + S(j) + ",#,#,#,#\n" : " " + S(j) + " # # # #\n";
        c.values.insert(c.values.end(), {d.cycleDistance[j], d.cycleLoadAmplitude[j],
                                         d.cycleGeoAmplitude[j], d.cycleRatio[j]});
    }
    if (!csv)
        c.out += "\nSmoothed results (moving average): " + S(d.resultCount) +
                 "\n result distance ft value\n";
    for (int j = 0; j < d.resultCount; ++j) {
        c.out += csv ? "result," + S(j) + ",#,,,#\n" : " " + S(j) + " # #\n";
        c.values.insert(c.values.end(), {d.resultDistance[j], d.resultValue[j]});
    }
    return c;
}

// The spectrum's title, then its frequencies and log10 powers.
Case Spectrum(const std::string& arguments, CVorlixDoc& doc, int mode, int start, int end) {
    SpectrumData data;
    std::string error;
    EXPECT_TRUE(ComputeSpectrum(doc, mode, start, end, &data, &error)) << error;
    Case c{arguments, 0, data.title + "\n"};
    c.values = Parse(c.out).values;
    for (std::size_t k = 0; k < data.values.size(); ++k) {
        c.out += "# #\n";
        c.values.insert(c.values.end(), {data.FrequencyAt(k), data.values[k]});
    }
    return c;
}

TEST_F(CliTest, InfoCyclesAndSpectrumPrintTheirReportsWhole) {
    auto road = Load("road.KVT", 0), segment1 = Load("long.KVT", 1);
    const std::string channels =
        "Active channels: 2\n  block 0: channel 0 \"Load\" \"kips\" \"Load cell\" \"LC-2041\" "
        "\"Actuator load\"\n  block 1: channel 1 \"Geophone-1\" \"mils\" \"Geophone\" \"GC-101\" "
        "\"Center geophone\"\nGroup size: 1100 bytes\n";
    const std::string whole =
        " (449100 bytes)\n" + channels +
        "Groups: 401\nPoints: 100250\nSegments: 1\n  0: groups 0 to 400 (401 read)\n"
        "Title: Raw data file has 100250 point and 401 group. Current read segment is:1\n"
        "Segment 0: 401 groups, 100250 points, distance # ft to # ft (segment starts at # ft)\n"
        "Companion files:\n";
    const std::vector<double> distances = {road->groupDistance[0], road->groupDistance[400], 0},
                              segment1Distances = {segment1->groupDistance[0],
                                                   segment1->groupDistance[400],
                                                   segment1->segmentStartDistance};
    const std::string roadInfo =
        "File: road.KVT" + whole +
        "  road images: road.IMG (8 pictures, 0 to 1475 ft)\n"
        "  GPS track: road.GPS (201 track points, 51 temperature points)\n"
        "  GPR scans: road.DAT (QXR-GPR, 1476 scans of 1024 samples, 1 marks)\n";
    const std::string tables = "File: long.KVT (14529100 bytes)\n" + channels +
                               "Groups: 13201\nPoints: 3300250\nSegments: 2\n"
                               "  0: groups 0 to 12799 (12800 read)\n"
                               "  1: groups 12800 to 13200 (401 read)\n";
    const std::string second =
        "Title: Raw data file has 3300250 point and 13201 group. Current read segment is:2\n"
        "Segment 1: 401 groups, 100250 points, distance # ft to # ft (segment starts at # ft)\n"
        "Companion files:\n  road images: long.IMG (missing)\n  GPS track: long.GPS (no points)\n"
        "  GPR scans: long.DAT (PULSE07, 2 scans of 1024 samples, 0 marks)\n";
    const std::string noSegment = "vorlix-cli: segment 2 does not exist (the file has 2)\n";
    const std::string badBand = "Math Exception: Invalid band specification.\n";
    Case spectrum = Spectrum("spectrum road.KVT --signal geo --start 1000 --end 1300 --workdir bad",
                             *road, spectrum::kGeophoneMode, 1000, 1300);
    spectrum.err = "vorlix-cli: warning: analysis: " + badBand;
    Check({
        {"info road.KVT", 0, roadInfo, "", false, distances},
        {"info road.KVT --workdir bad", 0, roadInfo, "vorlix-cli: analysis: " + badBand, false,
         distances},
        {"info odd.KVT", 0,
         "File: odd.KVT" + whole +
             "  road images: odd.IMG (no picture)\n    refused: The road images \"odd.IMG\" hold "
             "no picture.\n  GPS track: odd.GPS (no points)\n  GPR scans: odd.DAT (not usable)\n"
             "    refused: \"odd.DAT\" is not a GPR file: it starts with neither \"QXR-GPR\" nor "
             "\"PULSE07\".\n",
         "", false, distances},
        {"info long.KVT --segment 1", 0, tables + second, "", false, segment1Distances},
        {"info long.KVT --segment 2", 1, tables, noSegment},
        {"info long.KVT --segment -1", 1, tables,
         "vorlix-cli: segment -1 does not exist (the file has 2)\n"},
        {"info long.KVT --segment 1 --workdir nowhere", 1, tables,
         "vorlix-cli: The calibration factor of Geophone-1 is not set; enter it in the options.\n"},
        Cycles("cycles road.KVT --csv", *road, true),
        Cycles("cycles long.KVT --segment 1", *segment1, false),
        {"cycles long.KVT --segment 2", 1, "", noSegment},
        // A failed analysis stops the cycles, not the spectrum of the raw signals.
        {"cycles road.KVT --workdir bad", 1, "", "vorlix-cli: " + badBand},
        spectrum,
        Spectrum("spectrum road.KVT --signal load --start 100", *road, spectrum::kLoadMode, 100,
                 5100),
        // The default window of 5000 points stops at the end of the segment.
        Spectrum("spectrum long.KVT --signal load --segment 1 --start 97000", *segment1,
                 spectrum::kLoadMode, 97000, 100250),
        {"spectrum long.KVT --signal load --segment 2", 1, "", noSegment},
    });
}

// Bad usage (exit 2) is named after the command and followed by its usage line; a file that
// cannot be used (exit 1) is one line.
TEST_F(CliTest, RefusalsAreWholeMessagesWithExactExitCodes) {
    const std::map<std::string, std::string> usage = {
        {"info", "info FILE.KVT [--segment K]"},
        {"cycles", "cycles FILE.KVT [--segment K] [--csv] [--workdir DIR]"},
        {"spectrum", "spectrum FILE.KVT --signal load|geo [--start S --end E] [--segment K] "
                     "[--workdir DIR]"},
        {"export", "export FILE.KVT... [-j N] [--out-dir DIR] [--workdir DIR]"},
        {"convert", "convert FILE.KVT... [--out-dir DIR] [--workdir DIR]"}};
    const Case help = RunCli("--help", *shared);
    EXPECT_EQ(help.out.rfind("usage: vorlix-cli COMMAND FILE.KVT [options] [--workdir DIR]\n", 0),
              0u);
    std::vector<Case> cases = {
        {"--help", 0, help.out},
        {"-h", 0, help.out},
        {"", 2, "", help.out},
        {"frob road.KVT", 2, "", "vorlix-cli: unknown command \"frob\"\n" + help.out}};
    const std::string missing = "vorlix-cli: Cannot open \"nope.KVT\": No such file or directory";
    const std::string number = "--segment needs a whole number, not \"";
    const std::string window = "the window from point ", inside = " is not inside the segment's ";
    const std::pair<std::string, std::string> refusals[] = {
        {"info road.KVT --workdir . --segment", "vorlix-cli: option --segment needs a value"},
        {"export road.KVT --workdir . -j", "vorlix-cli: option -j needs a value"},
        {"info road.KVT --workdir . --x", "vorlix-cli: option --x needs a value"},
        {"export road.KVT -k 2", "vorlix-cli: unknown option -k"},
        {"info road.KVT -j2", "unknown option -j"},
        {"info - --workdir . --", "one raw file is needed"}, // words, not options
        {"info road.KVT --segment 2147483648", number + "2147483648\""},
        {"info road.KVT --segment -2147483648", number + "-2147483648\""},
        {"info road.KVT --segment ''", "--segment needs a whole number, not \"\""},
        {"info nope.KVT", missing},
        {"cycles", "one raw file is needed"},
        {"cycles road.KVT --segment 1x", "--segment needs a whole number, not \"1x\""},
        {"cycles road.KVT --segment -1", "vorlix-cli: segment -1 does not exist (the file has 1)"},
        {"cycles road.KVT --segment 2147483647",
         "vorlix-cli: segment 2147483647 does not exist (the file has 1)"},
        {"cycles nope.KVT", missing},
        {"cycles road.KVT --workdir nowhere",
         "vorlix-cli: The calibration factor of Geophone-1 is not set; enter it in the options."},
        {"spectrum", "one raw file is needed"},
        {"spectrum road.KVT --signal x", "--signal must be load or geo"},
        {"spectrum road.KVT --signal geo --start x", "--start needs a whole number, not \"x\""},
        {"spectrum road.KVT --signal geo --segment -2147483647", "--segment must not be negative"},
        {"spectrum road.KVT --signal load --end 1",
         "vorlix-cli: The spectrum window from point 0 to 1 needs at least 2 points."},
        {"spectrum nope.KVT --signal geo", missing},
        {"spectrum road.KVT --signal load --start 10 --end 10", window + "10 to 10" + inside},
        {"spectrum road.KVT --signal load --start -1 --end 5", window + "-1 to 5" + inside},
        {"spectrum road.KVT --signal load --end 100251", window + "0 to 100251" + inside},
        {"spectrum road.KVT --signal load --start 100250", window + "100250 to 100250" + inside},
        {"export", "a raw file is needed"},
        {"export road.KVT -j3x", "-j needs a whole number, not \"3x\""},
        {"export road.KVT --workdir . -j 0", "-j needs 1 or more segments at a time, not 0"},
        {"export road.KVT --out-dir none",
         "vorlix-cli: export failed: Cannot create \"none/road.TXT\": No such file or directory"},
        {"export nope.KVT", missing},
        {"convert", "a raw file is needed"},
        {"convert road.KVT --out-dir none/", "vorlix-cli: conversion failed: Cannot create "
                                             "\"none/road_A.DAT\": No such file or directory"},
    };
    for (const auto& [arguments, message] : refusals) {
        const std::string command = arguments.substr(0, arguments.find(' '));
        if (message.rfind("vorlix-cli", 0) == 0) // a file that cannot be used, or no word at all
            cases.push_back(
                {arguments, message.find("option -") != message.npos ? 2 : 1, "", message + "\n"});
        else
            cases.push_back({arguments, 2, "",
                             "vorlix-cli " + command + ": " + message +
                                 (message.back() == ' ' ? "100250 points" : "") +
                                 "\nusage: vorlix-cli " + usage.at(command) + "\n"});
    }
    Check(cases);
}

// Each of several raw files is done as if alone: the same file may write again under another
// spelling, but another file never replaces what an earlier one wrote. The progress bar is
// drawn on a terminal only, and its line is cleared when the job is done, before any warning.
TEST_F(CliTest, ExportAndConvertReportWhatTheyWroteAndNeverReplaceAnEarlierFile) {
    for (const char* folder : {"a", "b", "out"})
        std::filesystem::create_directories(shared->File(folder));
    std::filesystem::create_directory_symlink("a", shared->File("c"));
    for (const char* copy : {"a/road.KVT", "a/road.kvt", "b/road.KVT"})
        std::filesystem::copy_file(shared->File("road.KVT"), shared->File(copy));
    const std::string dots(40, '.'), hashes(40, '#');
    const std::string exported = "Exported 1468 results of 1 segments\n";
    const std::string inOut = exported + "  out/road.TXT\n  out/road.RDO\n";
    const std::string converted = "Converted 401 groups of 2 active channels\n  out/road_A.DAT: "
                                  "100250 records\n  out/road_C.DAT: 101 records\n";
    Check({
        {"export road.KVT -j 2 --out-dir out", 0, inOut,
         "\rexport [" + dots + "]   0.0% (0/1)\rexport [" + hashes + "] 100.0% (1/1)\r\033[K",
         true},
        {"export road.KVT -j 1 --out-dir out/", 0, inOut},
        {"export long.KVT -j 1 --out-dir out", 0,
         "Exported 1468 results of 2 segments\n  out/long.TXT\n  out/long.RDO\n",
         "\rexport [" + dots + "]   0.0% (0/2)\rexport [" + hashes.substr(20) + dots.substr(20) +
             "]  50.0% (1/2)\rexport [" + hashes + "] 100.0% (2/2)\r\033[K",
         true},
        {"convert road.KVT --out-dir out", 0, converted,
         "\rconvert [" + dots + "]   0.0% (0/401)\rconvert [" + hashes +
             "] 100.0% (401/401)\r\033[K",
         true},
        {"convert empty.KVT", 1, "",
         "vorlix-cli: conversion failed: \"empty.KVT\" holds no whole group of samples "
         "(8000 bytes).\n",
         true},
        {"export a/road.KVT ./a/road.KVT nope.KVT b/road.KVT --out-dir out", 1, inOut + inOut,
         "vorlix-cli: nope.KVT: Cannot open \"nope.KVT\": No such file or directory\n"
         "vorlix-cli: b/road.KVT: not exported: out/road.TXT and out/road.RDO hold the results of "
         "./a/road.KVT\n"},
        // c/road.TXT is a/road.TXT: its folder is a link to a.
        {"export a/road.KVT c/road.kvt", 1, exported + "  a/road.TXT\n  a/road.RDO\n",
         "vorlix-cli: c/road.kvt: not exported: c/road.TXT and c/road.RDO hold the results of "
         "a/road.KVT\n"},
        {"convert a/road.KVT b/road.KVT --out-dir out", 1, converted,
         "vorlix-cli: b/road.KVT: not converted: out/road_A.DAT and out/road_C.DAT hold the "
         "conversion of a/road.KVT\n"},
    });
    const std::string same = " && cmp out/road.RDO a/road.RDO && cmp out/road.TXT a/road.TXT";
    EXPECT_EQ(std::system(("cd " + shared->Path() + same).c_str()), 0); // the 2nd of a run too
}

// The device fills part-way through a run of several files (a limit of 16 KiB on the size of a
// file): what was written before stays byte for byte, what failed says why and replaces nothing.
TEST_F(CliTest, AFullDevicePartWayLeavesEveryEarlierFileByteForByte) {
    namespace fs = std::filesystem;
    const std::string road = ReadFile(shared->File("road.KVT")), full = shared->File("full/");
    std::ofstream(shared->File("short.KVT")) << road.substr(0, 8000 + 1100 * 100); // fits
    std::ofstream(shared->File("one.KVT")) << road.substr(0, 8000 + 1100);
    const std::string settings = " --out-dir full --workdir " + shared->Path();
    fs::create_directory(full);
    RunCli("export short.KVT" + settings, *shared);
    RunCli("convert one.KVT" + settings, *shared);
    std::map<std::string, std::string> files;
    for (const char* name : {"short.TXT", "short.RDO", "one_A.DAT", "one_C.DAT"}) {
        files[name] = ReadFile(full + name);
        fs::remove(full + name);
    }
    for (const char* name : {"road.TXT", "road.RDO", "road_A.DAT", "road_C.DAT"})
        std::ofstream(full + name) << (files[name] = std::string("earlier ") + name);
    const std::string fail = "vorlix-cli: road.KVT: ";
    const Case runs[] = {
        {"export short.KVT road.KVT", 1, "",
         fail + "export failed: Cannot write \"full/road.TXT\": File too large\n"},
        {"convert one.KVT road.KVT", 1, "",
         fail + "conversion failed: Cannot write \"full/road_A.DAT\": File too large\n"}};
    for (const Case& c : runs) {
        const Case run = RunCli(c.arguments + settings, *shared, false, "ulimit -f 32 && ");
        EXPECT_EQ(std::tuple(run.code, run.err), std::tuple(c.code, c.err)) << c.arguments;
    }
    std::map<std::string, std::string> left;
    for (const auto& entry : fs::directory_iterator(full))
        left[entry.path().filename().string()] = ReadFile(entry.path().string());
    EXPECT_EQ(left, files);
    EXPECT_EQ(files["one_A.DAT"].size(), 250u * 36);
}

} // namespace
