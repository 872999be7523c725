// vorlix-cli as a user runs it: whole outputs, whole messages and exact exit codes. Numbers
// that come from the analysis are formatted from the library's own results for the same file.
#include "support/SynthFixture.h"

#include "analysis/SpectrumData.h"
#include "document/CVorlixDoc.h"
#include "document/RawFileLoader.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct CliRun {
    int code = -1;
    std::string out, err;
};

std::string Format(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

// The tool, run in `dir`, with stdout on a pipe and stderr in a file, or on a terminal when
// `terminal` (where the progress bar is drawn).
CliRun RunCli(const std::string& arguments, const TempDir& dir, bool terminal = false) {
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
    const std::string command = "cd " + dir.Path() + " && " + VORLIX_CLI_PATH + " " + arguments;
    std::FILE* pipe = popen((command + " 2>" + errTo).c_str(), "r");
    CliRun run;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        run.out.append(buffer, got);
    const int status = pclose(pipe);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (!terminal) {
        std::ifstream in(errTo, std::ios::binary);
        run.err.assign(std::istreambuf_iterator<char>(in), {});
    }
    for (ssize_t got; terminal && (got = read(master, buffer, sizeof buffer)) > 0;)
        run.err.append(buffer, static_cast<std::size_t>(got));
    if (terminal)
        close(master), close(slave);
    return run;
}

// road.KVT: 400 groups, one segment, every companion. long.KVT: 13,201 groups of two channels
// in two segments (12,800 groups, then 401), no companions; its second segment holds the
// groups of a 401-group recording, after groups that stand at 0 ft.
class CliTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        shared = new TempDir;
        synth::Options options = SmallSynthOptions();
        ok = GenerateSynthFiles(*shared).ok;
        options.groups = 401, options.channels = 2, options.writeCompanions = false;
        ok = ok && GenerateSynthFiles(*shared, options, "tail").ok;
        std::ifstream in(shared->File("tail.KVT"), std::ios::binary);
        const std::string tail(std::istreambuf_iterator<char>(in), {});
        std::string standing = tail.substr(8000, 1100);
        standing.replace(12, 4, 4, '\0');
        std::ofstream out(shared->File("long.KVT"), std::ios::binary);
        out << tail.substr(0, 8000);
        for (int g = 0; g < 12800; ++g)
            out << standing;
        out << tail.substr(8000);
        work = " --workdir " + shared->Path();
    }
    static void TearDownTestSuite() { delete shared; }
    void SetUp() override { ASSERT_TRUE(ok); }

    // The document the tool sees for `segment` of a raw file in the shared folder.
    static std::unique_ptr<CVorlixDoc> Load(const std::string& name, int segment) {
        auto doc = std::make_unique<CVorlixDoc>(shared->Path());
        RawFileLoader loader;
        loader.OpenNewFile(*doc, shared->File(name), OpenOptions{.readFirstSegment = !segment});
        doc->options.currentSegment = segment;
        if (segment != 0)
            loader.ReloadCurrentFile(*doc);
        return doc;
    }
    CliRun Run(const std::string& arguments, bool terminal = false) {
        const bool ownWorkdir =
            arguments.empty() || arguments.find("--workdir") != std::string::npos;
        return RunCli(arguments + (ownWorkdir ? "" : work), dir, terminal);
    }

    static inline TempDir* shared = nullptr;
    static inline bool ok = false;
    static inline std::string work;
    TempDir dir;
};

std::string CyclesTable(const CVorlixDoc& d) {
    std::string text =
        Format("Segment %d: %d load cycles, %d geophone cycles, %d paired cycles\n",
               d.options.currentSegment, d.loadCycleCount, d.geoCycleCount, d.cycleCount) +
        "   cycle  distance ft     load amp      geo amp      ratio\n";
    for (int j = 0; j < d.cycleCount; ++j)
        text += Format("%8d %12.2f %12.4f %12.5f %10.4f\n", j, d.cycleDistance[j],
                       d.cycleLoadAmplitude[j], d.cycleGeoAmplitude[j], d.cycleRatio[j]);
    text += Format("\nSmoothed results (moving average): %d\n", d.resultCount) +
            "  result  distance ft      value\n";
    for (int j = 0; j < d.resultCount; ++j)
        text += Format("%8d %12.2f %10.4f\n", j, d.resultDistance[j], d.resultValue[j]);
    return text;
}

std::string CyclesCsv(const CVorlixDoc& d) {
    std::string text = "kind,index,distance_ft,load_amplitude,geo_amplitude,ratio\n";
    for (int j = 0; j < d.cycleCount; ++j)
        text += Format("cycle,%d,%.3f,%.5f,%.6f,%.5f\n", j, d.cycleDistance[j],
                       d.cycleLoadAmplitude[j], d.cycleGeoAmplitude[j], d.cycleRatio[j]);
    for (int j = 0; j < d.resultCount; ++j)
        text += Format("result,%d,%.3f,,,%.5f\n", j, d.resultDistance[j], d.resultValue[j]);
    return text;
}

std::string SpectrumRows(CVorlixDoc& doc, int mode, int start, int end) {
    SpectrumData data;
    std::string error;
    if (!ComputeSpectrum(doc, mode, start, end, &data, &error))
        return error;
    std::string text = data.title + "\n";
    for (std::size_t k = 0; k < data.values.size(); ++k)
        text += Format("%.4f %.6f\n", data.FrequencyAt(k), static_cast<double>(data.values[k]));
    return text;
}

TEST_F(CliTest, CyclesAndSpectrumPrintTheAnalysisWhole) {
    auto road = Load("road.KVT", 0), second = Load("long.KVT", 1);
    ASSERT_GT(road->cycleCount, 0);
    ASSERT_GT(second->resultCount, 0);
    const struct {
        std::string arguments, out;
    } cases[] = {
        {"cycles road.KVT --csv", CyclesCsv(*road)},
        {"cycles long.KVT --segment 1", CyclesTable(*second)},
        {"spectrum road.KVT --signal geo --start 1000 --end 1300",
         SpectrumRows(*road, spectrum::kGeophoneMode, 1000, 1300)},
        {"spectrum road.KVT --signal load --start 100",
         SpectrumRows(*road, spectrum::kLoadMode, 100, 5100)},
        // The default window of 5000 points stops at the end of the segment.
        {"spectrum long.KVT --signal load --segment 1 --start 97000",
         SpectrumRows(*second, spectrum::kLoadMode, 97000, 100250)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const CliRun run = RunCli(c.arguments + work, *shared);
        EXPECT_EQ(run.code, 0);
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(run.out == c.out) << run.out.substr(0, 400) << "\n---\n"
                                      << c.out.substr(0, 400);
    }
}

const std::string kInfo = "usage: vorlix-cli info FILE.KVT [--segment K]\n";
const std::string kCycles =
    "usage: vorlix-cli cycles FILE.KVT [--segment K] [--csv] [--workdir DIR]\n";
const std::string kSpectrum = "usage: vorlix-cli spectrum FILE.KVT --signal load|geo "
                              "[--start S --end E] [--segment K] [--workdir DIR]\n";
const std::string kExport =
    "usage: vorlix-cli export FILE.KVT... [-j N] [--out-dir DIR] [--workdir DIR]\n";
const std::string kConvert =
    "usage: vorlix-cli convert FILE.KVT... [--out-dir DIR] [--workdir DIR]\n";

TEST_F(CliTest, RefusalsAreWholeMessagesWithExactExitCodes) {
    const CliRun help = RunCli("--help", dir);
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.out.rfind("usage: vorlix-cli COMMAND FILE.KVT [options] [--workdir DIR]\n", 0),
              0u);
    EXPECT_EQ(RunCli("-h", dir).out, help.out);
    std::filesystem::copy_file(shared->File("road.KVT"), dir.File("road.KVT"));
    const std::string missing = "vorlix-cli: Cannot open \"nope.KVT\": No such file or directory\n";
    const std::string window = "the window from point ", inside = " is not inside the segment's ";
    const struct {
        std::string arguments;
        int code;
        std::string err;
    } cases[] = {
        {"", 2, help.out},
        {"frob road.KVT", 2, "vorlix-cli: unknown command \"frob\"\n" + help.out},
        {"info road.KVT --workdir . --segment", 2, "vorlix-cli: option --segment needs a value\n"},
        {"export road.KVT --workdir . -j", 2, "vorlix-cli: option -j needs a value\n"},
        {"export road.KVT -k 2", 2, "vorlix-cli: unknown option -k\n"},
        {"info road.KVT -j2", 2, "vorlix-cli info: unknown option -j\n" + kInfo},
        {"info road.KVT --jobs 2", 2, "vorlix-cli info: unknown option --jobs\n" + kInfo},
        {"info road.KVT road.KVT", 2, "vorlix-cli info: one raw file is needed\n" + kInfo},
        {"info road.KVT --segment 2147483648", 2,
         "vorlix-cli info: --segment needs a whole number, not \"2147483648\"\n" + kInfo},
        {"info road.KVT --segment ''", 2,
         "vorlix-cli info: --segment needs a whole number, not \"\"\n" + kInfo},
        {"info nope.KVT", 1, missing},
        {"cycles", 2, "vorlix-cli cycles: one raw file is needed\n" + kCycles},
        {"cycles road.KVT --segment 1x", 2,
         "vorlix-cli cycles: --segment needs a whole number, not \"1x\"\n" + kCycles},
        {"cycles road.KVT --segment 1", 1,
         "vorlix-cli: segment 1 does not exist (the file has 1)\n"},
        {"cycles road.KVT --segment -1", 1,
         "vorlix-cli: segment -1 does not exist (the file has 1)\n"},
        {"cycles nope.KVT", 1, missing},
        {"cycles road.KVT --workdir .", 1,
         "vorlix-cli: The calibration factor of Geophone-1 is not set; enter it in the "
         "options.\n"},
        {"spectrum", 2, "vorlix-cli spectrum: one raw file is needed\n" + kSpectrum},
        {"spectrum road.KVT --csv", 2, "vorlix-cli spectrum: unknown option --csv\n" + kSpectrum},
        {"spectrum road.KVT --signal x", 2,
         "vorlix-cli spectrum: --signal must be load or geo\n" + kSpectrum},
        {"spectrum road.KVT --signal geo --start x", 2,
         "vorlix-cli spectrum: --start needs a whole number, not \"x\"\n" + kSpectrum},
        {"spectrum road.KVT --signal geo --segment -1", 2,
         "vorlix-cli spectrum: --segment must not be negative\n" + kSpectrum},
        {"spectrum road.KVT --signal geo --segment 1", 1,
         "vorlix-cli: segment 1 does not exist (the file has 1)\n"},
        {"spectrum nope.KVT --signal geo", 1, missing},
        {"spectrum road.KVT --signal load --start 10 --end 10", 2,
         "vorlix-cli spectrum: " + window + "10 to 10" + inside + "100000 points\n" + kSpectrum},
        {"spectrum road.KVT --signal load --start -1 --end 5", 2,
         "vorlix-cli spectrum: " + window + "-1 to 5" + inside + "100000 points\n" + kSpectrum},
        {"spectrum road.KVT --signal load --end 100001", 2,
         "vorlix-cli spectrum: " + window + "0 to 100001" + inside + "100000 points\n" + kSpectrum},
        {"spectrum road.KVT --signal load --start 100000", 2,
         "vorlix-cli spectrum: " + window + "100000 to 100000" + inside + "100000 points\n" +
             kSpectrum},
        {"export", 2, "vorlix-cli export: a raw file is needed\n" + kExport},
        {"export road.KVT --segment 1", 2,
         "vorlix-cli export: unknown option --segment\n" + kExport},
        {"export road.KVT -j3x", 2,
         "vorlix-cli export: -j needs a whole number, not \"3x\"\n" + kExport},
        {"export road.KVT -j 0", 2,
         "vorlix-cli export: -j needs 1 or more segments at a time, not 0\n" + kExport},
        {"export road.KVT --jobs -2", 2,
         "vorlix-cli export: --jobs needs 1 or more segments at a time, not -2\n" + kExport},
        {"export road.KVT --out-dir none", 1,
         "vorlix-cli: export failed: Cannot create \"none/road.TXT\": No such file or "
         "directory\n"},
        {"export nope.KVT", 1, missing},
        {"convert", 2, "vorlix-cli convert: a raw file is needed\n" + kConvert},
        {"convert road.KVT -j 2", 2, "vorlix-cli convert: unknown option -j\n" + kConvert},
        {"convert road.KVT --out-dir none/", 1,
         "vorlix-cli: conversion failed: Cannot create \"none/road_A.DAT\": No such file or "
         "directory\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const CliRun run = Run(c.arguments);
        EXPECT_EQ(run.code, c.code);
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(run.out, "");
    }
}

TEST_F(CliTest, InfoReportsTheFileItsSegmentsAndCompanions) {
    // Companions that are there but refused.
    std::filesystem::copy_file(shared->File("road.KVT"), dir.File("odd.KVT"));
    std::ofstream(dir.File("odd.IMG")) << std::string(300, '\0');
    std::ofstream(dir.File("odd.DAT")) << std::string(2048, 'x');
    std::ofstream(dir.File("odd.GPS"));
    auto road = Load("road.KVT", 0), second = Load("long.KVT", 1);
    const std::string load = "  block 0: channel 0 \"Load\" \"kips\" \"Load cell\" \"LC-2041\" "
                             "\"Actuator load\"\n  block 1: channel 1 \"Geophone-1\" \"mils\" "
                             "\"Geophone\" \"GC-101\" \"Center geophone\"\n";
    const std::string road5 =
        " (1048000 bytes)\nActive channels: 5\n" + load +
        "  block 2: channel 2 \"Geophone-2\" \"mils\" \"Geophone\" \"GF-102\" \"Front geophone\"\n"
        "  block 3: channel 3 \"Geophone-3\" \"mils\" \"Geophone\" \"GR-103\" \"Rear geophone\"\n"
        "  block 4: channel 4 \"Aux-5\" \"V\" \"Auxiliary\" \"AX-104\" \"Auxiliary input\"\n"
        "Group size: 2600 bytes\nGroups: 400\nPoints: 100000\nSegments: 1\n"
        "  0: groups 0 to 399 (400 read)\n"
        "Title: Raw data file has 100000 point and 400 group. Current read segment is:1\n" +
        Format("Segment 0: 400 groups, 100000 points, distance %.2f ft to %.2f ft (segment "
               "starts at 0.00 ft)\nCompanion files:\n",
               road->groupDistance[0], road->groupDistance[399]);
    const std::string tables = "File: long.KVT (14529100 bytes)\nActive channels: 2\n" + load +
                               "Group size: 1100 bytes\nGroups: 13201\nPoints: 3300250\n"
                               "Segments: 2\n  0: groups 0 to 12799 (12800 read)\n"
                               "  1: groups 12800 to 13200 (401 read)\n";
    const struct {
        std::string arguments;
        int code;
        std::string out, err;
    } cases[] = {
        {"info road.KVT", 0,
         "File: road.KVT" + road5 + "  road images: road.IMG (8 pictures, 0 to 1471 ft)\n" +
             "  GPS track: road.GPS (201 track points, 51 temperature points)\n"
             "  GPR scans: road.DAT (QXR-GPR, 1472 scans of 1024 samples, 1 marks)\n",
         ""},
        {"info long.KVT --segment 1", 0,
         tables +
             "Title: Raw data file has 3300250 point and 13201 group. Current read segment is:2\n" +
             Format("Segment 1: 401 groups, 100250 points, distance %.2f ft to %.2f ft (segment "
                    "starts at %.2f ft)\n",
                    second->groupDistance[0], second->groupDistance[400],
                    second->segmentStartDistance) +
             "Companion files:\n  road images: long.IMG (missing)\n"
             "  GPS track: long.GPS (no points)\n  GPR scans: long.DAT (missing)\n",
         ""},
        {"info long.KVT --segment 2", 1, tables,
         "vorlix-cli: segment 2 does not exist (the file has 2)\n"},
        {"info long.KVT --segment -1", 1, tables,
         "vorlix-cli: segment -1 does not exist (the file has 2)\n"},
        {"info " + dir.File("odd.KVT"), 0,
         "File: " + dir.File("odd.KVT") + road5 + "  road images: " + dir.File("odd.IMG") +
             " (no picture)\n    refused: The road images \"" + dir.File("odd.IMG") +
             "\" hold no picture.\n  GPS track: " + dir.File("odd.GPS") +
             " (no points)\n  GPR scans: " + dir.File("odd.DAT") +
             " (not usable)\n    refused: \"" + dir.File("odd.DAT") +
             "\" is not a GPR file: it starts with neither \"QXR-GPR\" nor \"PULSE07\".\n",
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const CliRun run = RunCli(c.arguments + work, *shared);
        EXPECT_EQ(run.code, c.code);
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err, c.err);
    }
}

// The bar is drawn on a terminal only, and its line is cleared when the job is done.
TEST_F(CliTest, ExportAndConvertReportWhatTheyWroteAndDrawTheBarOnATerminal) {
    std::filesystem::create_directory(dir.File("out"));
    const std::string dots(40, '.'), hashes(40, '#');
    const std::string exported =
        "Exported 1465 results of 1 segments\n  out/road.TXT\n  out/road.RDO\n";
    const struct {
        std::string arguments;
        bool terminal;
        std::string out, err;
    } cases[] = {
        {"export " + shared->File("road.KVT") + " -j 2 --out-dir out", true, exported,
         "\rexport [" + dots + "]   0.0% (0/1)\rexport [" + hashes + "] 100.0% (1/1)\r\033[K"},
        {"export " + shared->File("road.KVT") + " -j 1 --out-dir out/", false, exported, ""},
        {"convert " + shared->File("road.KVT") + " --out-dir out", true,
         "Converted 400 groups of 5 active channels\n  out/road_A.DAT: 100000 records\n"
         "  out/road_C.DAT: 100 records\n",
         "\rconvert [" + dots + "]   0.0% (0/400)\rconvert [" + hashes +
             "] 100.0% (400/400)\r\033[K"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const CliRun run = Run(c.arguments, c.terminal);
        EXPECT_EQ(run.code, 0);
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err, c.err);
    }
    EXPECT_EQ(std::filesystem::file_size(dir.File("out/road_A.DAT")), 100000u * 36);
    EXPECT_EQ(std::filesystem::file_size(dir.File("out/road_C.DAT")), 100u * 16);
}

// Several raw files are each done as if alone; the same file may write again under another
// spelling, but a second file never replaces what an earlier one wrote.
TEST_F(CliTest, SeveralFilesNeverReplaceAnEarlierFilesOutput) {
    for (const char* folder : {"a/sub", "b", "out"})
        std::filesystem::create_directories(dir.File(folder));
    for (const char* copy : {"a/road.KVT", "a/road.kvt", "b/road.KVT"})
        std::filesystem::copy_file(shared->File("road.KVT"), dir.File(copy));
    const std::string exported = "Exported 1465 results of 1 segments\n";
    const std::string converted = "Converted 400 groups of 5 active channels\n  out/road_A.DAT: "
                                  "100000 records\n  out/road_C.DAT: 100 records\n";
    const struct {
        std::string arguments;
        std::string out, err;
    } cases[] = {
        {"export a/road.KVT ./a/road.KVT nope.KVT b/road.KVT --out-dir out",
         exported + "  out/road.TXT\n  out/road.RDO\n" + exported +
             "  out/road.TXT\n  out/road.RDO\n",
         "vorlix-cli: nope.KVT: Cannot open \"nope.KVT\": No such file or directory\n"
         "vorlix-cli: b/road.KVT: not exported: out/road.TXT and out/road.RDO hold the results of "
         "./a/road.KVT\n"},
        {"export a/road.KVT a/sub/../road.kvt", exported + "  a/road.TXT\n  a/road.RDO\n",
         "vorlix-cli: a/sub/../road.kvt: not exported: a/sub/../road.TXT and a/sub/../road.RDO "
         "hold the results of a/road.KVT\n"},
        {"convert a/road.KVT ./a/road.KVT b/road.KVT --out-dir out", converted + converted,
         "vorlix-cli: b/road.KVT: not converted: out/road_A.DAT and out/road_C.DAT hold the "
         "conversion of ./a/road.KVT\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const CliRun run = Run(c.arguments);
        EXPECT_EQ(run.code, 1);
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err, c.err);
    }
}

} // namespace
