#include "charts/ReportFacts.h"

#include "analysis/Smoothing.h"
#include "charts/MapDrawing.h"
#include "document/CVorlixDoc.h"
#include "document/RawFile.h"
#include "pipeline/GeoTrack.h"

#include <QFileInfo>

#include <memory>

namespace report {

namespace {

QString Plain(double value) {
    return QString::number(value, 'g', 6);
}

QString SmoothingText(const CKVTcontrol& options) {
    switch (options.smoothMethod) {
    case smoothing::kMovingAverage:
        return QStringLiteral("moving average of %1 cycles").arg(options.movingAverageCount);
    case smoothing::kBlockAverage:
        return QStringLiteral("average by number, %1 cycles").arg(options.averageCount);
    case smoothing::kDistanceAverage:
        return QStringLiteral("distance average, %1 ft").arg(Plain(options.averageDistance));
    default:
        return QStringLiteral("none");
    }
}

std::vector<Field> FileFields(const ReportSource& source) {
    const QFileInfo info(QString::fromStdString(source.doc.rawPath));
    RawFile file;
    std::string error;
    const bool opened = file.Open(source.doc.rawPath, source.doc.options.segmentGroups, &error);
    const sections::Profile& profile = source.profile;
    std::vector<Field> fields = {
        {QStringLiteral("Name"), info.fileName()},
        {QStringLiteral("Folder"), info.absolutePath()},
        {QStringLiteral("Groups"), opened ? QString::number(file.GroupCount()) : QString()},
        {QStringLiteral("Points"), QStringLiteral("%1 results of 1 ft").arg(profile.value.size())},
        {QStringLiteral("Segments"), opened ? QString::number(file.Segments().size()) : QString()}};
    if (!profile.distance.empty()) {
        const double length = profile.distance.back() - profile.distance.front();
        fields.push_back({QStringLiteral("Length"), QStringLiteral("%1 ft (%2 miles)")
                                                        .arg(length, 0, 'f', 1)
                                                        .arg(length / 5280.0, 0, 'f', 2)});
        fields.push_back({QStringLiteral("First station"),
                          QString::fromStdString(sections::StationOf(profile.distance.front()))});
        fields.push_back({QStringLiteral("Last station"),
                          QString::fromStdString(sections::StationOf(profile.distance.back()))});
    }
    fields.push_back({QStringLiteral("Found"), QStringLiteral("%1 sections, %2 flags")
                                                   .arg(source.result.sections.size())
                                                   .arg(source.result.flags.size())});
    const geo::GeoTrack track(source.doc.gps);
    fields.push_back({QStringLiteral("GPS track"),
                      track.Usable() ? QStringLiteral("%1 points").arg(track.Points().size())
                      : track.State() == geo::GeoTrack::Status::NotDegrees
                          ? QStringLiteral("not in decimal degrees: no map")
                          : QStringLiteral("none: no map")});
    return fields;
}

std::vector<Field> SettingsFields(const ReportSource& source, const sections::ClassLimits& limits) {
    const CKVTcontrol& o = source.doc.options;
    const sections::SectionParameters& s = source.parameters.section;
    const sections::FlagParameters& f = source.parameters.flag;
    QString geophone = QStringLiteral("Geophone-%1").arg(o.geophoneSelect);
    const QString name = QString::fromLatin1(o.geophoneName.c_str());
    if (!name.isEmpty() && name != geophone)
        geophone += QStringLiteral(" (%1)").arg(name);
    return {{QStringLiteral("Geophone"), geophone},
            {QStringLiteral("Band"),
             QStringLiteral("%1 to %2 Hz").arg(Plain(o.bandpassLow), Plain(o.bandpassHigh))},
            {QStringLiteral("Load factor"), Plain(o.loadFactor)},
            {QStringLiteral("Geophone factors"),
             QStringLiteral("center %1, front %2, rear %3")
                 .arg(Plain(o.centerFactor), Plain(o.frontFactor), Plain(o.rearFactor))},
            {QStringLiteral("Smoothing"), SmoothingText(o)},
            {QStringLiteral("Sections"),
             QStringLiteral("shortest %1 ft, alpha %2, k %3, merge %4")
                 .arg(Plain(s.minLength), Plain(s.alpha), Plain(s.k),
                      s.merge > 0.0 ? Plain(s.merge) : QStringLiteral("never"))},
            {QStringLiteral("Flags"),
             QStringLiteral("above %1, gap %2 ft, %3+ results")
                 .arg(f.threshold ? Plain(*f.threshold) : QStringLiteral("the characteristic"),
                      Plain(f.gap))
                 .arg(f.minFlag)},
            {QStringLiteral("Class limits"),
             QStringLiteral("%1, %2, %3 (%4)")
                 .arg(limits.a, 0, 'f', 4)
                 .arg(limits.b, 0, 'f', 4)
                 .arg(limits.c, 0, 'f', 4)
                 .arg(source.classLimits ? QStringLiteral("Vorlixsections.ini")
                                         : QStringLiteral("quartiles of the sections"))}};
}

} // namespace

ReportContent ContentOf(const ReportSource& source, const QDate& date) {
    ReportContent content;
    content.fileName = QFileInfo(QString::fromStdString(source.doc.rawPath)).fileName();
    content.date = date.toString(Qt::ISODate);
    content.limits =
        source.classLimits.value_or(sections::DefaultClassLimits(source.result.sections));
    content.file = FileFields(source);
    content.settings = SettingsFields(source, content.limits);
    content.profile = source.profile;
    content.result = source.result;
    // The map screen's drawing, the whole track fitted to the box.
    auto scene = std::make_shared<MapScene>(BuildMapScene(
        source.profile, source.result, geo::GeoTrack(source.doc.gps), content.limits));
    content.drawMap = [scene](QPainter& painter, const QRectF& area) {
        const double unit = MapPixelUnit(painter);
        DrawMap(painter, area, *scene, MapViewport::Fit(*scene, area, unit));
    };
    return content;
}

} // namespace report
