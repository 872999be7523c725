// vorlix-cli info shows the channel names of the raw file, which are Latin-1 bytes, as UTF-8
// text with control bytes escaped.
#include "support/RawFileBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string InfoOutput(const TempDir& dir, const std::string& file) {
    const std::string command =
        "cd " + dir.Path() + " && " + VORLIX_CLI_PATH + " info " + file + " 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, got);
    pclose(pipe);
    return out;
}

TEST(CliChannelNames, Latin1AsUtf8WithControlBytesEscaped) {
    TempDir dir;
    CKVTcontrol settings;
    SetTestCalibration(settings);
    settings.settingsPath = dir.File(CKVTcontrol::kSettingsFileName);
    ASSERT_TRUE(settings.SaveSettings());
    RawFileBuilder raw;
    raw.groups = 500;
    raw.names = {"Charge \xe0 l'essieu", "\xb5m\x07", "a\\b \"c\"", "\x1b[2J\x9b", ""};
    ASSERT_TRUE(raw.Write(dir.File("names.KVT")));

    const std::string out = InfoOutput(dir, "names.KVT");
    const std::string expected =
        "  block 0: channel 0 \"Charge \xc3\xa0 l'essieu\" \"\xc2\xb5m\\x07\" "
        "\"a\\\\b \\\"c\\\"\" \"\\x1b[2J\\x9b\"\n";
    EXPECT_NE(out.find(expected), std::string::npos) << out;
}

} // namespace
