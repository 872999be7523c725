// vorlix-cli info shows the channel names of the raw file, which are Latin-1 bytes, as UTF-8
// text; a name with a control byte is refused.
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

TEST(CliChannelNames, Latin1AsUtf8AndControlBytesRefused) {
    TempDir dir;
    CKVTcontrol settings;
    SetTestCalibration(settings);
    settings.settingsPath = dir.File(CKVTcontrol::kSettingsFileName);
    ASSERT_TRUE(settings.SaveSettings());
    RawFileBuilder raw;
    raw.groups = 500;
    raw.names = {"Charge \xe0 l'essieu", "\xb5m", "a\\b \"c\"", "\xff", ""};
    ASSERT_TRUE(raw.Write(dir.File("names.KVT")));
    EXPECT_NE(InfoOutput(dir, "names.KVT")
                  .find("  block 0: channel 0 \"Charge \xc3\xa0 l'essieu\" \"\xc2\xb5m\" "
                        "\"a\\\\b \\\"c\\\"\" \"\xc3\xbf\"\n"),
              std::string::npos);

    // A control byte in a name is no recorder's: the file is not taken as a raw test.
    raw.names = {"Load", "\xb5m\x07", "", "", ""};
    ASSERT_TRUE(raw.Write(dir.File("control.KVT")));
    EXPECT_EQ(InfoOutput(dir, "control.KVT"),
              "vorlix-cli: \"control.KVT\" is not a raw test file: the names of channel 0 are "
              "not text.\n");
}

} // namespace
