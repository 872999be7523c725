// vorlix-cli as a user runs it: exit codes, messages on stderr, output files.
#include "support/SynthFixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

CliRun RunCli(const std::string& arguments, const TempDir& dir) {
    const std::string errPath = dir.File("stderr.txt");
    const std::string command = std::string(VORLIX_CLI_PATH) + " " + arguments + " 2>" + errPath;
    CliRun run;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, got);
    int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (std::FILE* f = std::fopen(errPath.c_str(), "r")) {
        while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            run.err.append(buffer, got);
        std::fclose(f);
    }
    return run;
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        files = GenerateSynthFiles(dir);
        ASSERT_TRUE(files.ok) << files.error;
        workdir = " --workdir " + dir.Path();
    }
    TempDir dir;
    SynthFiles files;
    std::string workdir;
};

TEST_F(CliTest, InfoShowsTheFileAndItsCompanions) {
    CliRun run = RunCli("info " + files.kvt + workdir, dir);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("Raw data file has 100000 point and 400 group. Current read segment "
                           "is:1"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("\"Load\""), std::string::npos);
    EXPECT_NE(run.out.find("  road images: " + files.img + " (8 pictures, "), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("  GPR scans: " + files.dat + " (QXR-GPR, "), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find(" scans of 1024 samples, "), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("refused"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("track points"), std::string::npos);
}

TEST_F(CliTest, CommandsExportConvertAndInspect) {
    const std::string out = dir.File("out");
    std::filesystem::create_directory(out);
    CliRun exported = RunCli("export " + files.kvt + " --out-dir " + out + workdir, dir);
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    EXPECT_GT(std::filesystem::file_size(out + "/road.TXT"), 0u);
    EXPECT_GT(std::filesystem::file_size(out + "/road.RDO"), 400u);

    CliRun converted = RunCli("convert " + files.kvt + " --out-dir " + out + workdir, dir);
    ASSERT_EQ(converted.exitCode, 0) << converted.err;
    EXPECT_EQ(std::filesystem::file_size(out + "/road_A.DAT"), 400u * 250 * 36);
    EXPECT_EQ(std::filesystem::file_size(out + "/road_C.DAT"), 100u * 16);

    CliRun cycles = RunCli("cycles " + files.kvt + " --csv" + workdir, dir);
    ASSERT_EQ(cycles.exitCode, 0) << cycles.err;
    EXPECT_EQ(cycles.out.rfind("kind,index,distance_ft,load_amplitude,geo_amplitude,ratio\n", 0),
              0u);
    EXPECT_NE(cycles.out.find("\nresult,0,"), std::string::npos);

    CliRun spectrum = RunCli("spectrum " + files.kvt + " --signal load" + workdir, dir);
    ASSERT_EQ(spectrum.exitCode, 0) << spectrum.err;
    EXPECT_EQ(spectrum.out.rfind("Load Power Spectrum from point:0 to 5000", 0), 0u);
}

TEST_F(CliTest, BadInputIsReportedOnStderrWithANonZeroExit) {
    CliRun missing = RunCli("info " + dir.File("missing.KVT") + workdir, dir);
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("Cannot open"), std::string::npos) << missing.err;
    EXPECT_TRUE(missing.out.empty());

    CliRun usage = RunCli("info", dir);
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_NE(usage.err.find("usage"), std::string::npos);
    EXPECT_EQ(RunCli("frobnicate " + files.kvt, dir).exitCode, 2);
    EXPECT_EQ(RunCli("info " + files.kvt + " --segment x" + workdir, dir).exitCode, 2);
    EXPECT_EQ(RunCli("info " + files.kvt + " --segment 5" + workdir, dir).exitCode, 1);

    // No settings file: the calibration is missing, and the tool says so.
    TempDir empty;
    CliRun unset = RunCli("cycles " + files.kvt + " --workdir " + empty.Path(), dir);
    EXPECT_EQ(unset.exitCode, 1);
    EXPECT_NE(unset.err.find("calibration factor"), std::string::npos) << unset.err;
}

std::string ReadFile(const std::string& path) {
    std::string bytes;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[65536];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            bytes.append(buffer, got);
        std::fclose(f);
    }
    return bytes;
}

// Several raw files, one of them missing and one with the name of an earlier one: each of the
// others is done as if alone, the failures are named on stderr and the exit status is 1.
TEST_F(CliTest, SeveralFilesAreDoneAsIfAloneAndEachFailureIsReported) {
    synth::Options options = SmallSynthOptions();
    options.seed = 2;
    const SynthFiles other = GenerateSynthFiles(dir, options, "other");
    ASSERT_TRUE(other.ok) << other.error;
    const std::string sameName = dir.File("copy");
    std::filesystem::create_directory(sameName);
    std::filesystem::copy_file(files.kvt, sameName + "/road.KVT");
    const std::string missing = dir.File("missing.KVT");
    const std::string alone = dir.File("alone"), all = dir.File("all");
    std::filesystem::create_directory(alone);
    std::filesystem::create_directory(all);
    for (const std::string& kvt : {files.kvt, other.kvt}) {
        ASSERT_EQ(RunCli("export " + kvt + " --out-dir " + alone + workdir, dir).exitCode, 0);
        ASSERT_EQ(RunCli("convert " + kvt + " --out-dir " + alone + workdir, dir).exitCode, 0);
    }

    for (const std::string command : {"export -j 2", "convert"}) {
        const CliRun run = RunCli(command + " " + files.kvt + " " + missing + " " + other.kvt +
                                      " " + sameName + "/road.KVT --out-dir " + all + workdir,
                                  dir);
        EXPECT_EQ(run.exitCode, 1) << command;
        EXPECT_NE(run.err.find("vorlix-cli: " + missing + ": "), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("Cannot open"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("vorlix-cli: " + sameName + "/road.KVT: not "), std::string::npos)
            << run.err;
    }
    for (const std::string name : {"road", "other"})
        for (const std::string ending : {".TXT", ".RDO", "_A.DAT", "_C.DAT"}) {
            const std::string written = ReadFile(all + "/" + name + ending);
            EXPECT_FALSE(written.empty()) << name << ending;
            EXPECT_TRUE(written == ReadFile(alone + "/" + name + ending)) << name << ending;
        }
}

TEST_F(CliTest, WrongJobCountsAndUnknownShortOptionsAreUsageErrors) {
    const struct {
        std::string arguments, message;
    } cases[] = {
        {"export " + files.kvt + " -j 0", "-j needs 1 or more"},
        {"export " + files.kvt + " -j x", "-j needs a whole number"},
        {"export " + files.kvt + " --jobs -2", "--jobs needs 1 or more"},
        {"export " + files.kvt + " -j3x", "-j needs a whole number"},
        {"export " + files.kvt + " -k 2", "unknown option -k"},
        {"info " + files.kvt + " -j2", "unknown option -j"},
        {"export", "a raw file is needed"},
    };
    for (const auto& c : cases) {
        const CliRun run = RunCli(c.arguments + workdir, dir);
        EXPECT_EQ(run.exitCode, 2) << c.arguments;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.arguments << "\n" << run.err;
    }
    const CliRun run = RunCli("export -j1 " + files.kvt + workdir, dir);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.rfind("Exported ", 0), 0u) << run.out;
}

} // namespace
