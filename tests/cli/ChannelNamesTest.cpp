// vorlix-cli info shows the channel names of the raw file, which are Latin-1 bytes, as UTF-8
// text; a name with a control byte is refused.
#include "support/CliRun.h"
#include "support/RawFileBuilder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CliChannelNames, Latin1AsUtf8AndControlBytesRefused) {
    TempDir dir;
    CKVTcontrol settings;
    SetTestCalibration(settings);
    settings.settingsPath = dir.File(CKVTcontrol::kSettingsFileName);
    ASSERT_TRUE(settings.SaveSettings());
    RawFileBuilder raw;
    raw.groups = 500;
    raw.names = {"Charge \xe0 l'essieu", "\xb5m", "a\\b \"c\"", "\xa0\xff", ""};
    ASSERT_TRUE(raw.Write(dir.File("names.KVT")));
    EXPECT_NE(RunCli("info names.KVT", dir)
                  .out.find("  block 0: channel 0 \"Charge \xc3\xa0 l'essieu\" \"\xc2\xb5m\" "
                            "\"a\\\\b \\\"c\\\"\" \"\xc2\xa0\xc3\xbf\"\n"),
              std::string::npos);

    // A control byte in a name is no recorder's: the file is not taken as a raw test.
    raw.names = {"Load", "\xb5m\x07", "", "", ""};
    ASSERT_TRUE(raw.Write(dir.File("control.KVT")));
    const CliRun control = RunCli("info control.KVT", dir);
    EXPECT_EQ(control.out + control.err,
              "vorlix-cli: \"control.KVT\" is not a raw test file: the names of channel 0 are "
              "not text.\n");
}

} // namespace
