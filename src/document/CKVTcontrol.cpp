#include "document/CKVTcontrol.h"

#include "document/AtomicFileWriter.h"
#include "document/ByteOrder.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Byte offsets of the settings file.
constexpr int kGeophoneNameOffset = 400, kNameSize = 40;
constexpr int kReservedText1Offset = 440, kReservedText2Offset = 520, kLongTextSize = 80;
// Chart rows 1..4 (indices 0..3) in the file.
constexpr int kTitleOffset[4] = {760, 680, 840, 600};
constexpr int kXLabelOffset[4] = {1000, 960, 1040, 920};
constexpr int kYLabelOffset[4] = {1160, 1120, 1200, 1080};
constexpr int kChartMinOffset[4] = {52, 44, 60, 36};
constexpr int kChartMaxOffset[4] = {56, 48, 64, 40};

// Visits every stored field with its offset, so reading and writing share one layout.
template <typename Visitor> void VisitLayout(CKVTcontrol& c, Visitor&& v) {
    v.Int(0, c.reservedValue);
    v.Int(4, c.geophoneSelect);
    v.Float(8, c.loadFactor);
    v.Float(12, c.centerFactor);
    v.Float(16, c.frontFactor);
    v.Float(20, c.rearFactor);
    v.Float(24, c.bandpassLow);
    v.Float(28, c.bandpassHigh);
    v.Float(32, c.lowpassCutoff);
    for (int row : {3, 1, 0, 2}) {
        v.Float(kChartMinOffset[row], c.chartMin[row]);
        v.Float(kChartMaxOffset[row], c.chartMax[row]);
    }
    v.Float(68, c.videoOffset);
    v.Int(72, c.movingAverageCount);
    v.Int(76, c.showGprColormap);
    v.Text(kGeophoneNameOffset, kNameSize, c.geophoneName);
    v.Text(kReservedText1Offset, kLongTextSize, c.reservedText1);
    v.Text(kReservedText2Offset, kLongTextSize, c.reservedText2);
    for (int row = 0; row < 4; ++row) {
        v.Text(kTitleOffset[row], kLongTextSize, c.chartTitle[row]);
        v.Text(kXLabelOffset[row], kNameSize, c.chartXLabel[row]);
        v.Text(kYLabelOffset[row], kNameSize, c.chartYLabel[row]);
    }
}

struct Reader {
    const std::vector<unsigned char>& bytes;
    bool Has(int offset, int size) const { return offset + size <= static_cast<int>(bytes.size()); }
    void Int(int offset, std::int32_t& value) const {
        if (Has(offset, 4))
            value = byteorder::LoadLE<std::int32_t>(&bytes[offset]);
    }
    void Float(int offset, float& value) const {
        if (Has(offset, 4))
            value = byteorder::LoadLE<float>(&bytes[offset]);
    }
    void Text(int offset, int size, std::string& text) const {
        if (!Has(offset, size))
            return;
        int length = 0;
        while (length < size && bytes[offset + length] != 0)
            ++length;
        text.assign(reinterpret_cast<const char*>(&bytes[offset]), length);
    }
};

struct Writer {
    std::vector<unsigned char>& bytes;
    void Int(int offset, std::int32_t value) { byteorder::StoreLE(&bytes[offset], value); }
    void Float(int offset, float value) { byteorder::StoreLE(&bytes[offset], value); }
    // Texts are cut to leave room for the terminating zero of their field.
    void Text(int offset, int size, const std::string& text) {
        std::size_t length = std::min<std::size_t>(text.size(), static_cast<std::size_t>(size - 1));
        for (std::size_t i = 0; i < length; ++i)
            bytes[offset + i] = static_cast<unsigned char>(text[i]);
    }
};

} // namespace

int CKVTcontrol::GeophoneNumberFromName(const std::string& name, int unknownValue) {
    static const char* const kNames[] = {"Geophone-1", "Geophone-2", "Geophone-3", "Geophone-4"};
    for (int i = 0; i < 4; ++i)
        if (name == kNames[i])
            return i + 1;
    return unknownValue;
}

bool CKVTcontrol::LoadSettings() {
    std::FILE* f = std::fopen(settingsPath.c_str(), "rb");
    if (!f)
        return false;
    std::vector<unsigned char> bytes(kSettingsFileSize);
    std::size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
    // A path that opens but cannot be read (a folder, an I/O error) counts as no file.
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed)
        return false;
    bytes.resize(got);
    VisitLayout(*this, Reader{bytes});
    if (geophoneSelect >= 1 && geophoneSelect <= 4)
        geophoneName = "Geophone-" + std::to_string(geophoneSelect);
    return true;
}

bool CKVTcontrol::SaveSettings(std::string* error) const {
    std::vector<unsigned char> bytes(kSettingsFileSize, 0);
    VisitLayout(const_cast<CKVTcontrol&>(*this), Writer{bytes});
    AtomicFileWriter out;
    if (!out.Open(settingsPath) || !out.Write(bytes.data(), bytes.size()) || !out.Commit()) {
        if (error)
            *error = out.Error();
        return false;
    }
    return true;
}
