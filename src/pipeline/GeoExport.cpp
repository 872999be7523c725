#include "pipeline/GeoExport.h"

#include "document/AtomicFileWriter.h"
#include "pipeline/SectionsExport.h"

#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

namespace geoexport {

namespace {

using geo::Position;

constexpr int kCoordinateDecimals = 7; // about 1 cm
constexpr int kDistanceDecimals = 2;
constexpr int kValueDecimals = 4;
constexpr int kLineWidth = 4; // KML line width, pixels

void AppendFixed(std::string& out, double value, int decimals) {
    char text[64];
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    if (result.ec == std::errc())
        out.append(text, result.ptr);
}

std::string Fixed(double value, int decimals) {
    std::string text;
    AppendFixed(text, value, decimals);
    return text;
}

// "lat,lon" with 7 decimals, or "," when nothing is located.
std::string LatLonFields(const std::optional<Position>& p) {
    if (!p)
        return ",";
    return Fixed(p->latitude, kCoordinateDecimals) + "," + Fixed(p->longitude, kCoordinateDecimals);
}

// The length of the valid UTF-8 sequence at text[i], or 0: no overlong forms, no surrogates,
// nothing above U+10FFFF, so that every JSON and XML reader takes the text.
std::size_t SequenceLength(const std::string& text, std::size_t i) {
    const auto byte = [&](std::size_t k) {
        return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0u;
    };
    const unsigned c = byte(0);
    if (c < 0x80)
        return 1;
    const std::size_t n = c >= 0xC2 && c <= 0xDF   ? 2
                          : c >= 0xE0 && c <= 0xEF ? 3
                          : c >= 0xF0 && c <= 0xF4 ? 4
                                                   : 0;
    const unsigned low = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
    const unsigned high = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
    if (n == 0 || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t k = 2; k < n; ++k)
        if ((byte(k) & 0xC0) != 0x80)
            return 0;
    return n;
}

// Text that JSON and XML both take, from file names that may hold any byte: each byte that
// breaks a UTF-8 sequence becomes U+FFFD, a control character other than tab, line feed and
// carriage return a blank.
std::string CleanText(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = SequenceLength(text, i);
        const char c = text[i];
        if (length == 0)
            out += "\xEF\xBF\xBD";
        else if (length == 1 && static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' &&
                 c != '\r')
            out += ' ';
        else
            out.append(text, i, length);
        i += length == 0 ? 1 : length;
    }
    return out;
}

void AppendJsonString(std::string& out, const std::string& text) {
    out += '"';
    for (char c : CleanText(text)) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (c == '\n' || c == '\r' || c == '\t')
            out += c == '\n' ? "\\n" : c == '\r' ? "\\r" : "\\t";
        else
            out += c;
    }
    out += '"';
}

std::string XmlText(const std::string& text) {
    std::string out;
    for (char c : CleanText(text)) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// The rows of a CSV text written by this program: a header and one line per row, CR LF ends,
// fields quoted as RFC 4180 asks (none of ours holds a line break).
struct CsvTable {
    std::vector<std::string> names;
    std::vector<std::vector<std::string>> rows;
};

std::vector<std::string> SplitLine(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"')
            fields.back() += line[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

CsvTable ParseCsv(const std::string& text) {
    CsvTable table;
    for (const std::string& line : Lines(text)) {
        if (table.names.empty())
            table.names = SplitLine(line);
        else
            table.rows.push_back(SplitLine(line));
    }
    return table;
}

// `csv` with extra[0] after the header and extra[i] after row i.
std::string AppendColumns(const std::string& csv, const std::vector<std::string>& extra) {
    std::string out;
    std::size_t i = 0;
    for (const std::string& line : Lines(csv))
        out += line + "," + (i < extra.size() ? extra[i++] : "") + "\r\n";
    return out;
}

// How a column's fields are written: stations and other text as strings, numbers as numbers.
enum class Kind { Text, Whole, Real };

struct Fields {
    CsvTable table;
    std::vector<Kind> kinds; // one per column
};

bool IsNumber(const std::string& field) {
    double number = 0.0;
    const char* end = field.data() + field.size();
    const auto parsed = std::from_chars(field.data(), end, number);
    return parsed.ec == std::errc() && parsed.ptr == end && std::isfinite(number);
}

Fields Typed(CsvTable table) {
    Fields fields{std::move(table), {}};
    const std::vector<std::string>& names = fields.table.names;
    for (std::size_t k = 0; k < names.size(); ++k) {
        const bool station =
            names[k].size() > 8 && names[k].compare(names[k].size() - 8, 8, "_station") == 0;
        Kind kind = station ? Kind::Text : Kind::Whole;
        for (const std::vector<std::string>& row : fields.table.rows) {
            const std::string& field = k < row.size() ? row[k] : std::string();
            if (field.empty() || kind == Kind::Text)
                continue;
            if (!IsNumber(field))
                kind = Kind::Text;
            else if (field.find('.') != std::string::npos)
                kind = Kind::Real;
        }
        fields.kinds.push_back(kind);
    }
    return fields;
}

const std::string& FieldOf(const Fields& fields, std::size_t row, std::size_t k) {
    static const std::string kEmpty;
    const std::vector<std::string>& values = fields.table.rows[row];
    return k < values.size() ? values[k] : kEmpty;
}

// The fields of each section as its CSV file writes them, coordinates included, and its class
// and colour.
Fields SectionFields(const GeoInput& input) {
    CsvTable table = ParseCsv(SectionsCsv(input));
    table.names.insert(table.names.end(), {"class", "stroke"});
    for (std::size_t i = 0; i < table.rows.size() && i < input.result.sections.size(); ++i) {
        const int number = sections::ClassOf(input.result.sections[i].characteristic, input.limits);
        table.rows[i].push_back(std::to_string(number));
        table.rows[i].push_back(sections::ColourHex(sections::ClassColour(number)));
    }
    return Typed(std::move(table));
}

Fields FlagFields(const GeoInput& input) {
    return Typed(ParseCsv(FlagsCsv(input)));
}

void AppendPosition(std::string& out, const Position& p) {
    out += '[';
    AppendFixed(out, p.longitude, kCoordinateDecimals);
    out += ',';
    AppendFixed(out, p.latitude, kCoordinateDecimals);
    out += ']';
}

// Empty fields are null, text columns strings, numbers as the CSV writes them.
void AppendProperties(std::string& out, const Fields& fields, std::size_t row) {
    for (std::size_t k = 0; k < fields.table.names.size(); ++k) {
        out += k == 0 ? "" : ",";
        AppendJsonString(out, fields.table.names[k]);
        out += ':';
        const std::string& field = FieldOf(fields, row, k);
        if (fields.kinds[k] == Kind::Text)
            AppendJsonString(out, field);
        else
            out += field.empty() ? "null" : field;
    }
}

// KML colours are aabbggrr.
std::string KmlColour(std::uint32_t rgb) {
    const std::string hex = sections::ColourHex(rgb);
    return "ff" + hex.substr(5, 2) + hex.substr(3, 2) + hex.substr(1, 2);
}

void AppendKmlCoordinates(std::string& out, const std::vector<Position>& path) {
    out += "<coordinates>";
    for (std::size_t i = 0; i < path.size(); ++i) {
        out += i == 0 ? "" : " ";
        AppendFixed(out, path[i].longitude, kCoordinateDecimals);
        out += ',';
        AppendFixed(out, path[i].latitude, kCoordinateDecimals);
    }
    out += "</coordinates>";
}

// The typed fields of a kind of placemark, so that GIS tools read numbers as numbers.
void AppendKmlSchema(std::string& out, const std::string& id, const Fields& fields) {
    out += "<Schema name=\"" + id + "\" id=\"" + id + "\">\n";
    for (std::size_t k = 0; k < fields.table.names.size(); ++k) {
        const Kind kind = fields.kinds[k];
        out += "<SimpleField name=\"" + XmlText(fields.table.names[k]) + "\" type=\"" +
               (kind == Kind::Text    ? "string"
                : kind == Kind::Whole ? "int"
                                      : "double") +
               "\"/>\n";
    }
    out += "</Schema>\n";
}

// A placemark's name, its fields as a table for viewers and as typed data for GIS tools, its
// style; the geometry follows.
void AppendKmlFeature(std::string& out, const std::string& name, const Fields& fields,
                      std::size_t row, const std::string& schema, const std::string& style) {
    const std::vector<std::string>& names = fields.table.names;
    std::string html = "<table>";
    for (std::size_t k = 0; k < names.size(); ++k)
        html += "<tr><th align=\"left\">" + XmlText(names[k]) + "</th><td>" +
                XmlText(FieldOf(fields, row, k)) + "</td></tr>";
    html += "</table>";
    out += "<Placemark><name>" + XmlText(name) + "</name>\n<description>" + XmlText(html) +
           "</description>\n<styleUrl>#" + style +
           "</styleUrl>\n<ExtendedData><SchemaData schemaUrl=\"#" + schema + "\">";
    for (std::size_t k = 0; k < names.size(); ++k)
        if (const std::string& field = FieldOf(fields, row, k); !field.empty())
            out += "<SimpleData name=\"" + XmlText(names[k]) + "\">" + XmlText(field) +
                   "</SimpleData>";
    out += "</SchemaData></ExtendedData>\n";
}

// The number of the item whose [first, last] holds index i, or 0; items sorted along the road.
template <typename Item> int Holder(const std::vector<Item>& items, std::size_t& at, int i) {
    while (at < items.size() && items[at].last < i)
        ++at;
    return at < items.size() && items[at].first <= i ? static_cast<int>(at) + 1 : 0;
}

bool Stage(AtomicFileWriter& file, const std::string& path, const std::string& text,
           std::string* error) {
    *error = AtomicFileWriter::FolderInTheWay(path);
    if (!error->empty())
        return false;
    if (file.Open(path) && file.Write(text.data(), text.size()) && file.Flush())
        return true;
    *error = file.Error();
    return false;
}

} // namespace

GeoPaths GeoPathsOf(const std::string& rawPath, const std::string& outDir) {
    const sectionsexport::CsvPaths csv = sectionsexport::CsvPathsOf(rawPath, outDir);
    const std::string base = csv.sections.substr(0, csv.sections.size() - 13); // ".sections.csv"
    return {csv.sections, csv.flags, base + ".results.csv", base + ".geojson", base + ".kml"};
}

std::string SectionsCsv(const GeoInput& input) {
    std::vector<std::string> extra = {"start_lat,start_lon,end_lat,end_lon"};
    for (const sections::Section& s : input.result.sections)
        extra.push_back(LatLonFields(input.track.Locate(s.startFt)) + "," +
                        LatLonFields(input.track.Locate(s.endFt)));
    return AppendColumns(sectionsexport::SectionsCsv(input.result.sections), extra);
}

std::string FlagsCsv(const GeoInput& input) {
    std::vector<std::string> extra = {"lat,lon"};
    for (const sections::Flag& f : input.result.flags)
        extra.push_back(LatLonFields(input.track.Locate(f.peakFt)));
    return AppendColumns(sectionsexport::FlagsCsv(input.result.flags), extra);
}

std::string ResultsCsv(const GeoInput& input) {
    const sections::Profile& profile = input.profile;
    std::string out = "distance_ft,station,value,section,flag,latitude,longitude\r\n";
    std::size_t section = 0, flag = 0;
    const std::size_t n = std::min(profile.distance.size(), profile.value.size());
    for (std::size_t i = 0; i < n; ++i) {
        const double d = profile.distance[i];
        const int index = static_cast<int>(i);
        const int sectionNumber = Holder(input.result.sections, section, index);
        const int flagNumber = Holder(input.result.flags, flag, index);
        AppendFixed(out, d, kDistanceDecimals);
        out += ',';
        out += sections::StationOf(d);
        out += ',';
        if (std::isfinite(profile.value[i]))
            AppendFixed(out, profile.value[i], kValueDecimals);
        out += ',';
        if (sectionNumber)
            out += std::to_string(sectionNumber);
        out += ',';
        if (flagNumber)
            out += std::to_string(flagNumber);
        out += ',';
        out += LatLonFields(input.track.Locate(d));
        out += "\r\n";
    }
    return out;
}

std::string GeoJson(const GeoInput& input) {
    std::string out = "{\"type\":\"FeatureCollection\",";
    if (!input.track.Usable()) {
        out += "\"description\":";
        AppendJsonString(out, input.track.Problem());
        return out + ",\"features\":[]}\n";
    }
    out += "\"features\":[";
    const char* separator = "\n";
    const Fields sectionFields = SectionFields(input);
    for (std::size_t i = 0; i < input.result.sections.size(); ++i) {
        const sections::Section& s = input.result.sections[i];
        out += separator;
        separator = ",\n";
        out += R"({"type":"Feature","geometry":{"type":"LineString","coordinates":[)";
        const std::vector<Position> path = input.track.Path(s.startFt, s.endFt);
        for (std::size_t k = 0; k < path.size(); ++k) {
            out += k == 0 ? "" : ",";
            AppendPosition(out, path[k]);
        }
        out += "]},\"properties\":{";
        AppendProperties(out, sectionFields, i);
        out += "}}";
    }
    const Fields flagFields = FlagFields(input);
    for (std::size_t i = 0; i < input.result.flags.size(); ++i) {
        out += separator;
        separator = ",\n";
        out += R"({"type":"Feature","geometry":{"type":"Point","coordinates":)";
        AppendPosition(out, *input.track.Locate(input.result.flags[i].peakFt));
        out += "},\"properties\":{";
        AppendProperties(out, flagFields, i);
        out += "}}";
    }
    return out + "\n]}\n";
}

std::string Kml(const GeoInput& input) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n<Document>\n<name>" +
                      XmlText(input.title) + "</name>\n";
    if (!input.track.Usable())
        return out + "<description>" + XmlText(input.track.Problem()) +
               "</description>\n</Document>\n</kml>\n";
    const Fields sectionFields = SectionFields(input);
    const Fields flagFields = FlagFields(input);
    for (int c = 1; c <= sections::kClassCount; ++c)
        out += "<Style id=\"class" + std::to_string(c) + "\"><LineStyle><color>" +
               KmlColour(sections::ClassColour(c)) + "</color><width>" +
               std::to_string(kLineWidth) + "</width></LineStyle></Style>\n";
    out += "<Style id=\"flag\"><IconStyle><color>" +
           KmlColour(sections::ClassColour(sections::kClassCount)) +
           "</color></IconStyle></Style>\n";
    // KML 2.2 puts a document's schemas after its styles, before its folders.
    AppendKmlSchema(out, "sectionFields", sectionFields);
    AppendKmlSchema(out, "flagFields", flagFields);
    out += "<Folder><name>Sections</name>\n";
    for (std::size_t i = 0; i < input.result.sections.size(); ++i) {
        const sections::Section& s = input.result.sections[i];
        const int classNumber = sections::ClassOf(s.characteristic, input.limits);
        AppendKmlFeature(out, "Section " + std::to_string(i + 1), sectionFields, i, "sectionFields",
                         "class" + std::to_string(classNumber));
        out += "<LineString><tessellate>1</tessellate>";
        AppendKmlCoordinates(out, input.track.Path(s.startFt, s.endFt));
        out += "</LineString></Placemark>\n";
    }
    out += "</Folder>\n<Folder><name>Flags</name>\n";
    for (std::size_t i = 0; i < input.result.flags.size(); ++i) {
        const sections::Flag& f = input.result.flags[i];
        AppendKmlFeature(out, "Flag " + std::to_string(f.number), flagFields, i, "flagFields",
                         "flag");
        out += "<Point>";
        AppendKmlCoordinates(out, {*input.track.Locate(f.peakFt)});
        out += "</Point></Placemark>\n";
    }
    return out + "</Folder>\n</Document>\n</kml>\n";
}

bool WriteGeoFiles(const GeoPaths& paths, const GeoInput& input, std::string* error) {
    std::string ignored;
    std::string& message = error ? *error : ignored;
    const std::array<std::pair<const std::string*, std::string>, 5> files = {{
        {&paths.sections, SectionsCsv(input)},
        {&paths.flags, FlagsCsv(input)},
        {&paths.results, ResultsCsv(input)},
        {&paths.geojson, GeoJson(input)},
        {&paths.kml, Kml(input)},
    }};
    std::array<AtomicFileWriter, 5> writers;
    for (std::size_t i = 0; i < files.size(); ++i)
        if (!Stage(writers[i], *files[i].first, files[i].second, &message))
            return false;
    for (AtomicFileWriter& writer : writers)
        if (!writer.Commit()) {
            message = writer.Error();
            return false;
        }
    message.clear();
    return true;
}

} // namespace geoexport
