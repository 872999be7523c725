#include "analysis/SpectrumData.h"
#include "analysis/AnalysisLibrary.h"
#include "document/CVorlixDoc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

namespace {

using namespace spectrum;

TEST(SpectrumWindow, LengthIsEvenAndCapped) {
    EXPECT_EQ(WindowLength(0, 5001), 5000);
    EXPECT_EQ(WindowLength(0, 5000), 5000);
    EXPECT_EQ(WindowLength(7, 5008), 5000);
    EXPECT_EQ(WindowLength(0, 300'000), 262'144);
    EXPECT_EQ(WindowLength(0, 262'145), 262'144);
    EXPECT_EQ(WindowLength(10, 11), 0);
    EXPECT_EQ(WindowLength(10, 10), 0);
    EXPECT_EQ(WindowLength(10, 4), 0);
    EXPECT_EQ(WindowLength(-2'000'000'000, 2'000'000'000), 262'144);
}

TEST(SpectrumTitle, TextsOfTheTwoSignals) {
    EXPECT_EQ(Title(5, 0, 300'000, 12.5f, 1000.0f),
              "Load Power Spectrum from point:0 to 300000 or DMI from 12.50 ft to  1000.00 ft");
    EXPECT_EQ(Title(6, 250, 5250, -100.0f, 0.0f),
              "Geophone Power Spectrum from point:250 to 5250 or DMI from -100.00 ft to  0.00 ft");
    EXPECT_EQ(Title(4, 0, 10, 1.0f, 2.0f), "");
    // The largest float still fits.
    EXPECT_NE(Title(5, 0, 10, 3.4e38f, -3.4e38f).find("ft to  -339999995"), std::string::npos);
}

TEST(SpectrumSeries, LogValuesBetweenThreeAndSeventyFiveHertz) {
    std::vector<double> power(1000);
    for (std::size_t k = 0; k < power.size(); ++k)
        power[k] = std::pow(10.0, static_cast<double>(k) / 100.0 - 2.0);
    SpectrumData data;
    FillSeries(power.data(), power.size(), 0.25, data);
    EXPECT_EQ(data.firstBin, 12);
    EXPECT_EQ(data.endBin, 300);
    ASSERT_EQ(data.values.size(), 288u);
    for (std::size_t k = 0; k < data.values.size(); ++k)
        ASSERT_EQ(data.values[k], static_cast<float>(std::log10(power[12 + k]))) << k;
    EXPECT_EQ(data.minimum, data.values.front());
    EXPECT_EQ(data.maximum, data.values.back());
    EXPECT_FLOAT_EQ(data.minimum, -1.88f);
    EXPECT_FLOAT_EQ(data.maximum, 0.99f);
    EXPECT_EQ(data.xMinimum, 3.0);
    EXPECT_EQ(data.xMaximum, 72.0); // the band's width, not its upper end
    EXPECT_EQ(data.xStep, 0.25);
    EXPECT_EQ(data.FrequencyAt(0), 3.0);
    EXPECT_EQ(data.FrequencyAt(287), 74.75);
}

TEST(SpectrumSeries, ZeroPowerIsLeftOutOfTheRangeAndDrawnAtTheMinimum) {
    std::vector<double> power(400);
    for (std::size_t k = 0; k < power.size(); ++k)
        power[k] = static_cast<double>(k + 1);
    power[20] = 0.0; // value index 8
    power[100] = std::nan("");
    power[150] = std::numeric_limits<double>::infinity();
    SpectrumData data;
    FillSeries(power.data(), power.size(), 0.25, data);
    ASSERT_EQ(data.values.size(), 288u);
    EXPECT_EQ(data.minimum, static_cast<float>(std::log10(13.0)));
    EXPECT_EQ(data.maximum, static_cast<float>(std::log10(300.0)));
    EXPECT_EQ(data.values[8], data.minimum);
    EXPECT_EQ(data.values[100 - 12], data.minimum);
    EXPECT_EQ(data.values[150 - 12], data.maximum);
    for (float v : data.values)
        EXPECT_TRUE(std::isfinite(v));
}

TEST(SpectrumSeries, AllZeroPowerGivesAFlatRangeAtZero) {
    std::vector<double> power(400, 0.0);
    SpectrumData data;
    FillSeries(power.data(), power.size(), 0.25, data);
    EXPECT_EQ(data.minimum, 0.0f);
    EXPECT_EQ(data.maximum, 0.0f);
    for (float v : data.values)
        EXPECT_EQ(v, 0.0f);
}

TEST(SpectrumSeries, BinsBeyondTheSpectrumAreNotRead) {
    std::vector<double> power(100, 1.0);
    SpectrumData data;
    FillSeries(power.data(), power.size(), 0.25, data);
    EXPECT_EQ(data.endBin, 300);
    EXPECT_EQ(data.values.size(), 88u);
    FillSeries(power.data(), power.size(), 0.0, data);
    EXPECT_TRUE(data.values.empty());
}

class SpectrumDataTest : public ::testing::Test {
protected:
    // A loaded segment whose load is a 30 Hz sine and whose geophone is a 10 Hz sine.
    void Load(int points) {
        doc->pointCount = points;
        doc->groupCount = points / 250;
        doc->segmentStartDistance = 99.0f;
        for (int g = 0; g <= doc->groupCount; ++g)
            doc->groupDistance[g] = 100.0f + static_cast<float>(g);
        for (int i = 0; i < points; ++i) {
            const double t = i / 1000.0;
            doc->loadSignal[i] = static_cast<float>(std::sin(2 * std::numbers::pi * 30.0 * t));
            doc->geoSignal[i] = static_cast<float>(std::sin(2 * std::numbers::pi * 10.0 * t));
        }
    }

    static double PeakFrequency(const SpectrumData& data) {
        std::size_t peak = 0;
        for (std::size_t k = 1; k < data.values.size(); ++k)
            if (data.values[k] > data.values[peak])
                peak = k;
        return data.FrequencyAt(peak);
    }

    std::unique_ptr<CVorlixDoc> doc = std::make_unique<CVorlixDoc>("/nonexistent");
    std::string error;
};

TEST_F(SpectrumDataTest, LoadAndGeophoneSpectraOfTheWindow) {
    Load(10'000);
    SpectrumData load, geo;
    ASSERT_TRUE(ComputeSpectrum(*doc, 5, 0, 5001, &load, &error)) << error;
    ASSERT_TRUE(ComputeSpectrum(*doc, -6, 250, 5250, &geo, &error)) << error;
    EXPECT_EQ(load.pointCount, 5000);
    EXPECT_NEAR(load.df, 0.2, 1e-12);
    EXPECT_EQ(load.firstBin, 15);
    EXPECT_NEAR(PeakFrequency(load), 30.0, 0.2);
    EXPECT_NEAR(PeakFrequency(geo), 10.0, 0.2);
    EXPECT_EQ(geo.mode, 6);
    EXPECT_EQ(load.title,
              "Load Power Spectrum from point:0 to 5001 or DMI from 99.00 ft to  120.00 ft");
    EXPECT_EQ(geo.title.rfind("Geophone Power Spectrum from point:250 to 5250 or DMI", 0), 0u);
    EXPECT_EQ(load.xTitle, "frequency (Hz)");
    EXPECT_EQ(load.yTitle, "Power Spectrum in Log10");
}

TEST_F(SpectrumDataTest, ValuesAreTheLogOfTheLibrarysSpectrum) {
    Load(3000);
    SpectrumData data;
    ASSERT_TRUE(ComputeSpectrum(*doc, 5, 100, 2101, &data, &error)) << error;
    CNiScalarVector<double> x(2000), power;
    for (int i = 0; i < 2000; ++i)
        x[i] = doc->loadSignal[100 + i];
    double df = 0;
    AutoPowerSpectrum(x, 0.001, power, df);
    ASSERT_EQ(data.df, df);
    ASSERT_EQ(data.values.size(), static_cast<std::size_t>(data.endBin - data.firstBin));
    for (std::size_t k = 0; k < data.values.size(); ++k)
        ASSERT_EQ(data.values[k], static_cast<float>(std::log10(power[data.firstBin + k]))) << k;
}

TEST_F(SpectrumDataTest, LongWindowIsCutButTheTitleShowsTheEndAsked) {
    Load(300'000);
    SpectrumData data;
    ASSERT_TRUE(ComputeSpectrum(*doc, 5, 0, 300'000, &data, &error)) << error;
    EXPECT_EQ(data.pointCount, 262'144);
    EXPECT_EQ(data.firstBin, 786); // 3 / (1000 / 262144) = 786.4
    EXPECT_EQ(data.endBin, 19'660);
    EXPECT_EQ(data.values.size(), 18'874u);
    EXPECT_NE(data.title.find("from point:0 to 300000 or"), std::string::npos) << data.title;
}

TEST_F(SpectrumDataTest, AnotherModeGivesAnEmptyTitleAndAFlatSeries) {
    Load(2000);
    SpectrumData data;
    ASSERT_TRUE(ComputeSpectrum(*doc, 7, 0, 2000, &data, &error)) << error;
    EXPECT_EQ(data.title, "");
    EXPECT_EQ(data.minimum, 0.0f);
    EXPECT_EQ(data.maximum, 0.0f);
}

TEST_F(SpectrumDataTest, WindowOutsideTheSegmentIsRefused) {
    Load(2000);
    SpectrumData data;
    data.title = "kept";
    EXPECT_FALSE(ComputeSpectrum(*doc, 5, -1, 1000, &data, &error));
    EXPECT_FALSE(ComputeSpectrum(*doc, 5, 0, 2001, &data, &error));
    EXPECT_NE(error.find("not inside the loaded segment"), std::string::npos) << error;
    EXPECT_FALSE(ComputeSpectrum(*doc, 5, 500, 500, &data, &error));
    EXPECT_FALSE(ComputeSpectrum(*doc, 5, 500, 501, &data, &error));
    EXPECT_NE(error.find("at least 2 points"), std::string::npos) << error;
    EXPECT_EQ(data.title, "kept");
    doc->pointCount = 0;
    EXPECT_FALSE(ComputeSpectrum(*doc, 5, 0, 100, &data, &error));
}

} // namespace
