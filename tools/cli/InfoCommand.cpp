#include "Commands.h"

#include "document/CVorlixDoc.h"
#include "document/CompanionFiles.h"
#include "document/RawFile.h"
#include "pipeline/RawFileLoader.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace {

// A channel name (Latin-1 bytes) as UTF-8 for the terminal. Control bytes, which would move
// the cursor or ring the bell, are written as \xNN, and a backslash or quote gets a backslash
// before it, so that the quoted text reads back unambiguously.
std::string PrintableName(const std::string& latin1) {
    std::string out;
    for (const char ch : latin1) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || (c >= 0x7F && c < 0xA0)) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
        } else if (c == '\\' || c == '"') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

void PrintChannelTable(const Cchannel& channels) {
    std::printf("Active channels: %d\n", channels.activeCount);
    for (int k = 0; k < channels.activeCount; ++k) {
        const Cdatachannel& c = channels.dataChannels[channels.activeList[k]];
        std::printf("  block %d: channel %d", k, channels.activeList[k]);
        for (const std::string& name : c.names)
            if (!name.empty())
                std::printf(" \"%s\"", PrintableName(name).c_str());
        std::printf("\n");
    }
}

void PrintSegments(const RawFile& file, int segmentGroups) {
    std::printf("Segments: %zu\n", file.Segments().size());
    for (std::size_t i = 0; i < file.Segments().size(); ++i) {
        const auto& s = file.Segments()[i];
        long long read = std::min<long long>(s.end - s.first, segmentGroups);
        std::printf("  %zu: groups %lld to %lld (%lld read)\n", i, static_cast<long long>(s.first),
                    static_cast<long long>(s.end - 1), read);
    }
}

const char* GprKindName(int kind) {
    return kind == 2 ? "QXR-GPR" : kind == 1 ? "PULSE07" : "unknown";
}

// The companion files as the window reads them: what is usable and what was refused.
void PrintCompanions(CVorlixDoc& doc) {
    std::printf("Companion files:\n");
    Czipimg& images = doc.images;
    const std::string imageNote = images.ReadImageIndex(doc.options.videoOffset);
    if (!std::filesystem::exists(images.imgPath))
        std::printf("  road images: %s (missing)\n", images.imgPath.c_str());
    else if (images.count > 0)
        std::printf("  road images: %s (%d pictures, %d to %d ft)\n", images.imgPath.c_str(),
                    images.count, images.distance.front(), images.distance[images.count - 1]);
    else
        std::printf("  road images: %s (no picture)\n", images.imgPath.c_str());
    if (!imageNote.empty())
        std::printf("    refused: %s\n", imageNote.c_str());
    if (const std::string note = companions::ImageIndexNote(images); !note.empty())
        std::printf("    note: %s\n", note.c_str());

    if (doc.gps.trackCount == 0 && doc.gps.temperatureCount == 0)
        std::printf("  GPS track: %s (no points)\n", doc.gps.gpsPath.c_str());
    else
        std::printf("  GPS track: %s (%d track points, %d temperature points)\n",
                    doc.gps.gpsPath.c_str(), doc.gps.trackCount, doc.gps.temperatureCount);
    if (const std::string note = companions::GpsReadNote(doc.gps); !note.empty())
        std::printf("    note: %s\n", note.c_str());

    Cgprdata& gpr = doc.gpr.gprData;
    std::string gprNote;
    if (!std::filesystem::exists(gpr.path)) {
        std::printf("  GPR scans: %s (missing)\n", gpr.path.c_str());
        return;
    }
    if (gpr.ReadFile(&gprNote) == 0)
        std::printf("  GPR scans: %s (%s, %d scans of %d samples, %d marks)\n", gpr.path.c_str(),
                    GprKindName(gpr.fileKind), gpr.scanCount, gpr.samplesPerScan, gpr.markCount);
    else
        std::printf("  GPR scans: %s (not usable)\n", gpr.path.c_str());
    if (!gprNote.empty())
        std::printf("    refused: %s\n", gprNote.c_str());
}

} // namespace

int RunInfo(const CliArgs& args) {
    std::string error;
    int segment = 0;
    if (!args.OnlyKnown({"segment"}, &error) || args.Positional().size() != 1 ||
        !args.IntValue("segment", 0, &segment, &error)) {
        std::fprintf(stderr, "vorlix-cli info: %s\nusage: vorlix-cli info FILE.KVT [--segment K]\n",
                     error.empty() ? "one raw file is needed" : error.c_str());
        return 2;
    }
    const std::string path = args.Positional()[0];
    auto doc = std::make_unique<CVorlixDoc>(args.WorkDirectory());

    RawFile file;
    if (!file.Open(path, doc->options.segmentGroups, &error) ||
        !file.IsUsable(doc->options.segmentGroups, &error)) {
        std::fprintf(stderr, "vorlix-cli: %s\n", error.c_str());
        return 1;
    }
    std::printf("File: %s (%llu bytes)\n", path.c_str(),
                static_cast<unsigned long long>(file.FileSize()));
    PrintChannelTable(file.Channels());
    std::printf("Group size: %lld bytes\n", static_cast<long long>(file.GroupSize()));
    std::printf("Groups: %lld\nPoints: %lld\n", static_cast<long long>(file.GroupCount()),
                static_cast<long long>(file.GroupCount()) * 250);
    PrintSegments(file, doc->options.segmentGroups);
    if (segment < 0 || segment >= static_cast<int>(file.Segments().size())) {
        std::fprintf(stderr, "vorlix-cli: segment %d does not exist (the file has %zu)\n", segment,
                     file.Segments().size());
        return 1;
    }
    file.Close();

    // Segment 0 is read by the open itself; another segment is read alone, after it.
    RawFileLoader loader;
    loader.refuseUnusableBand = false; // the signals are shown whatever the band
    const bool otherSegment = segment != 0;
    LoadResult result =
        loader.OpenNewFile(*doc, path, OpenOptions{.readFirstSegment = !otherSegment});
    if (result.fileOpened && otherSegment) {
        doc->options.currentSegment = segment;
        result = loader.ReloadCurrentFile(*doc);
    }
    if (!result.segmentRead) {
        std::fprintf(stderr, "vorlix-cli: %s\n", result.message.c_str());
        return 1;
    }
    std::printf("Title: %s\n", result.title.c_str());
    std::printf("Segment %d: %d groups, %d points, distance %.2f ft to %.2f ft "
                "(segment starts at %.2f ft)\n",
                doc->options.currentSegment, doc->groupCount, doc->pointCount,
                doc->groupDistance[0], doc->groupDistance[doc->groupCount - 1],
                doc->segmentStartDistance);
    PrintCompanions(*doc);
    if (result.analysisFailed)
        std::fprintf(stderr, "vorlix-cli: analysis: %s\n", result.message.c_str());
    return 0;
}
