#include "synth/KvtWriter.h"

#include "synth/Phasor.h"
#include "synth/ProfileTable.h"
#include "synth/SplitMix64.h"

#include "document/AtomicFileWriter.h"
#include "document/ByteOrder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace synth {

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kCountsPerUnit = 3276.8;
constexpr double kGeophoneScaleBase = 5.305169250814609;
constexpr int kHeaderSize = 8000, kDescriptorOffset = 500, kDescriptorSize = 250;
constexpr int kChannels = 12;
constexpr std::uint64_t kNoiseKey = 0x4E4F4953ull, kPhaseKey = 0x4B565450ull;

void PutText(std::vector<std::uint8_t>& bytes, std::size_t at, const std::string& text) {
    std::memcpy(&bytes[at], text.data(), text.size());
}

} // namespace

std::int16_t ClampCounts(double counts) {
    const double r = std::floor(counts + 0.5);
    return static_cast<std::int16_t>(std::clamp(r, -32768.0, 32767.0));
}

std::int16_t LoadCounts(double kips) {
    return ClampCounts(kips * kCountsPerUnit / static_cast<double>(kLoadFactor));
}

std::int16_t GeophoneCounts(double value, double factor) {
    return ClampCounts(value * kCountsPerUnit * factor / kGeophoneScaleBase);
}

std::vector<std::string> ChannelNames(int channel) {
    char number[16];
    switch (channel) {
    case 0:
        return {"Load", "kips", "Load cell", "LC-2041", "Actuator load"};
    case 1:
        return {"Geophone-1", "mils", "Geophone", "GC-101", "Center geophone"};
    case 2:
        return {"Geophone-2", "mils", "Geophone", "GF-102", "Front geophone"};
    case 3:
        return {"Geophone-3", "mils", "Geophone", "GR-103", "Rear geophone"};
    default:
        std::snprintf(number, sizeof number, "Aux-%d", channel + 1);
        return {number, "V", "Auxiliary", "AX-" + std::to_string(100 + channel), "Auxiliary input"};
    }
}

std::vector<std::uint8_t> KvtHeader(int channels, const Options& options) {
    std::vector<std::uint8_t> bytes(kHeaderSize, 0);
    char text[200];
    std::snprintf(
        text, sizeof text, "VORLIX SYNTHETIC KVT; groups=%d channels=%d seed=%llu speed=%.3f mph",
        options.groups, channels, static_cast<unsigned long long>(options.seed), options.speedMph);
    PutText(bytes, 0, text);
    for (int c = 0; c < kChannels; ++c) {
        const std::size_t d = kDescriptorOffset + static_cast<std::size_t>(kDescriptorSize) * c;
        byteorder::StoreLE<std::int32_t>(&bytes[d], c);
        if (c >= channels)
            continue;
        bytes[d + 4] = 1;                                    // gain code
        byteorder::StoreLE<std::int16_t>(&bytes[d + 7], 10); // input range, volts
        byteorder::StoreLE<float>(&bytes[d + 9], 1000.0f);   // samples per second
        byteorder::StoreLE<float>(&bytes[d + 13], static_cast<float>(kCountsPerUnit));
        const double factor = c == 0 ? kLoadFactor : c <= 3 ? SignalModel::kGeophoneFactor[c] : 1.0;
        byteorder::StoreLE<float>(&bytes[d + 17], static_cast<float>(factor));
        bytes[d + 25] = 1; // active
        std::size_t at = d + 55;
        const std::vector<std::string> names = ChannelNames(c);
        for (int k = 0; k < 5; ++k) {
            bytes[d + 50 + k] = static_cast<std::uint8_t>(names[k].size());
            PutText(bytes, at, names[k]);
            at += names[k].size();
        }
    }
    return bytes;
}

bool WriteKvtFile(const std::string& path, const Scenario& scenario, std::string* error) {
    const Options& options = scenario.options;
    const Trajectory& trajectory = scenario.trajectory;
    const int channels = options.channels;
    const int geophones = std::min(3, channels - 1);
    const std::size_t groupSize = static_cast<std::size_t>(channels) * 500 + 100;

    AtomicFileWriter out;
    if (!out.Open(path)) {
        if (error)
            *error = out.Error();
        return false;
    }
    const std::vector<std::uint8_t> header = KvtHeader(channels, options);
    out.Write(header.data(), header.size());

    // 30 Hz at 1000 samples per second repeats every 100 samples.
    double sin30[100], cos30[100];
    for (int j = 0; j < 100; ++j) {
        sin30[j] = std::sin(kTwoPi * 3.0 * j / 100.0);
        cos30[j] = std::cos(kTwoPi * 3.0 * j / 100.0);
    }
    const double lag = kTwoPi * SignalModel::kLoadFrequency * SignalModel::kGeophoneLag;
    const double lagCos = std::cos(lag), lagSin = std::sin(lag);

    const double margin = 10.0;
    const double span = trajectory.EndDistance() - trajectory.StartDistance();
    const ProfileTable table(scenario.profile, trajectory.StartDistance() - margin,
                             trajectory.EndDistance() + margin,
                             std::max(0.05, (span + 2 * margin) / 4.0e6));

    SplitMix64 phases = SplitMix64::Keyed(options.seed, kPhaseKey);
    auto phasor = [&](double hz) {
        return Phasor(hz / SignalModel::kSampleRate, kTwoPi * phases.Uniform());
    };
    Phasor wobble = phasor(0.11), drift = phasor(0.017), bounce1 = phasor(2.6),
           bounce2 = phasor(3.7);
    std::vector<Phasor> aux;
    for (int c = 4; c < channels; ++c)
        aux.push_back(phasor(1.0 / (20.0 + 7.0 * c)));
    SplitMix64 noise = SplitMix64::Keyed(options.seed, kNoiseKey);
    const double noiseScale = options.noise;
    const double nominal = std::max(trajectory.NominalSpeed(), 1e-9);

    double geoCountsPerUnit[4] = {0, 0, 0, 0};
    for (int g = 1; g <= 3; ++g)
        geoCountsPerUnit[g] =
            kCountsPerUnit *
            static_cast<double>(static_cast<float>(SignalModel::kGeophoneFactor[g])) /
            kGeophoneScaleBase;

    const int chunkGroups = static_cast<int>(std::max<std::size_t>(1, (4u << 20) / groupSize));
    std::vector<std::uint8_t> buffer(groupSize * chunkGroups);
    std::int16_t block[12][SignalModel::kGroupSamples];
    for (int first = 0; first < options.groups; first += chunkGroups) {
        const int count = std::min(chunkGroups, options.groups - first);
        std::fill(buffer.begin(), buffer.end(), 0);
        for (int gi = 0; gi < count; ++gi) {
            const int k = first + gi;
            const double v0 = trajectory.GroupSpeed(k), v1 = trajectory.GroupSpeed(k + 1);
            for (int i = 0; i < SignalModel::kGroupSamples; ++i) {
                const double tau = i / SignalModel::kSampleRate;
                const double x = trajectory.DistanceInGroup(k, tau);
                const double moving =
                    std::min(1.5, (v0 + (v1 - v0) * tau / Trajectory::kGroupSeconds) / nominal);
                const int phase = static_cast<int>(
                    (static_cast<long long>(k) * SignalModel::kGroupSamples + i) % 100);
                const double amplitude = SignalModel::kDynamicLoad * (1.0 + 0.04 * wobble.Sin());
                const double dynamicLoad = amplitude * sin30[phase];
                const double dynamicLagged =
                    amplitude * (sin30[phase] * lagCos - cos30[phase] * lagSin);
                const double bounce = (0.3 + 0.7 * moving) * (bounce1.Sin() + 0.6 * bounce2.Sin());

                const double load = SignalModel::kStaticLoad + 0.25 * drift.Sin() + dynamicLoad +
                                    0.4 * bounce +
                                    noiseScale * SignalModel::kLoadNoise * noise.Noise();
                block[0][i] = LoadCounts(load);
                for (int g = 1; g <= geophones; ++g) {
                    const double compliance = SignalModel::kGeophoneScale[g] * 0.1 *
                                              table.At(x + SignalModel::kGeophoneOffsetFt[g]);
                    const double geo = compliance * dynamicLagged + (0.4 - 0.08 * g) * bounce +
                                       noiseScale * SignalModel::kGeophoneNoise * noise.Noise();
                    block[g][i] = ClampCounts(geo * geoCountsPerUnit[g]);
                }
                for (int c = 4; c < channels; ++c)
                    block[c][i] = ClampCounts(6000.0 + 2500.0 * aux[c - 4].Sin() +
                                              noiseScale * SignalModel::kAuxNoise * noise.Noise());

                wobble.Advance();
                drift.Advance();
                bounce1.Advance();
                bounce2.Advance();
                for (Phasor& p : aux)
                    p.Advance();
            }
            wobble.Renormalize();
            drift.Renormalize();
            bounce1.Renormalize();
            bounce2.Renormalize();
            for (Phasor& p : aux)
                p.Renormalize();

            std::uint8_t* group = &buffer[groupSize * gi];
            byteorder::StoreLE<std::int32_t>(group, k);
            byteorder::StoreLE<float>(group + 4, static_cast<float>(k * Trajectory::kGroupSeconds));
            // The recorder stores the distance reached by the end of the group.
            byteorder::StoreLE<float>(group + 12,
                                      static_cast<float>(trajectory.GroupDistance(k + 1)));
            for (int c = 0; c < channels; ++c)
                for (int i = 0; i < SignalModel::kGroupSamples; ++i)
                    byteorder::StoreLE<std::int16_t>(group + 20 + 500 * c + 2 * i, block[c][i]);
        }
        if (!out.Write(buffer.data(), groupSize * count))
            break;
    }
    if (!out.Commit()) {
        if (error)
            *error = out.Error();
        return false;
    }
    return true;
}

} // namespace synth
