#include "pipeline/SectionsSettingsFile.h"

#include "document/AtomicFileWriter.h"

#include <array>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

constexpr std::array<const char*, 8> kKeys = {"min_length", "alpha", "k",        "merge",
                                              "threshold",  "gap",   "min_flag", "class_limits"};

std::string Trim(const std::string& text) {
    const char* space = " \t\r\n";
    const std::size_t first = text.find_first_not_of(space);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}

std::string PathIn(const std::string& workDirectory) {
    const std::string folder = workDirectory.empty() ? "." : workDirectory;
    return folder + (folder.back() == '/' ? "" : "/") + SectionsSettingsFile::kFileName;
}

// The key of a "key = value" line, or "" for any other line.
std::string KeyOf(const std::string& line, std::string* value) {
    const std::size_t equals = line.find('=');
    const std::string key = equals == std::string::npos ? "" : Trim(line.substr(0, equals));
    if (key.empty() || key[0] == '#' || key[0] == ';')
        return {};
    if (value)
        *value = Trim(line.substr(equals + 1));
    return key;
}

// A whole text that is a finite number, '.' decimals whatever the locale.
bool ParseNumber(const std::string& text, double* value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, *value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end && std::isfinite(*value);
}

bool ParseWhole(const std::string& text, int* value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, *value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

std::string NumberText(double value) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

// "a, b, c": three numbers, each above the one before.
bool ParseLimits(const std::string& text, sections::ClassLimits* limits) {
    double values[3];
    std::size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        const std::size_t comma = i < 2 ? text.find(',', start) : text.size();
        if (comma == std::string::npos ||
            !ParseNumber(Trim(text.substr(start, comma - start)), &values[i]))
            return false;
        start = comma + 1;
    }
    *limits = {values[0], values[1], values[2]};
    return values[0] < values[1] && values[1] < values[2];
}

} // namespace

bool SectionsSettingsFile::Set(const std::string& key, const std::string& text,
                               std::string* error) {
    std::string ignored;
    std::string& message = error ? *error : ignored;
    const std::string value = Trim(text);
    const std::string quoted = "\"" + value + "\"";
    sections::SectionParameters& section = parameters.section;
    sections::FlagParameters& flag = parameters.flag;

    if (key == "threshold" && value.empty()) {
        flag.threshold.reset();
        return true;
    }
    if (key == "class_limits") {
        sections::ClassLimits limits;
        if (value.empty())
            classLimits.reset();
        else if (ParseLimits(value, &limits))
            classLimits = limits;
        else {
            message = "class_limits must be three rising numbers \"a, b, c\", or empty for the "
                      "quartiles, not " +
                      quoted;
            return false;
        }
        return true;
    }
    if (key == "min_flag") {
        int count = 0;
        if (!ParseWhole(value, &count) || count < 1) {
            message = "min_flag must be a whole number of results, 1 or more, not " + quoted;
            return false;
        }
        flag.minFlag = count;
        return true;
    }

    double number = 0.0;
    const bool isNumber = ParseNumber(value, &number);
    auto refuse = [&](const std::string& what) {
        message = key + " must be " + what + ", not " + quoted;
        return false;
    };
    if (key == "alpha") {
        if (!isNumber || !(number > 0.0 && number < 1.0))
            return refuse("a number between 0 and 1 (both excluded)");
        section.alpha = number;
    } else if (key == "threshold") {
        if (!isNumber)
            return refuse("a number, or empty for none");
        flag.threshold = number;
    } else if (key == "min_length" || key == "gap") {
        if (!isNumber || number < 0.0)
            return refuse("a length in feet, 0 or more");
        (key == "gap" ? flag.gap : section.minLength) = number;
    } else if (key == "k" || key == "merge") {
        if (!isNumber || number < 0.0)
            return refuse("a number, 0 or more");
        (key == "k" ? section.k : section.merge) = number;
    } else {
        message = "unknown key \"" + key + "\"";
        return false;
    }
    return true;
}

bool SectionsSettingsFile::Load(const std::string& workDirectory, std::string* error) {
    std::string ignored;
    std::string& message = error ? *error : ignored;
    lines_.clear();
    parameters = {};
    const std::string path = PathIn(workDirectory);
    std::error_code ec;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (!std::filesystem::exists(path, ec) && !ec)
            return true; // no file: every default
        message = path + ": cannot be read";
        return false;
    }
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines_.push_back(line);
    }
    if (in.bad()) {
        message = path + ": cannot be read";
        return false;
    }
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        std::string value;
        const std::string key = KeyOf(lines_[i], &value);
        bool known = false;
        for (const char* k : kKeys)
            known = known || key == k;
        if (known && !Set(key, value, &message)) {
            message = path + ", line " + std::to_string(i + 1) + ": " + message;
            return false;
        }
    }
    return true;
}

bool SectionsSettingsFile::Save(const std::string& workDirectory, std::string* error) const {
    std::string ignored;
    std::string& message = error ? *error : ignored;
    const sections::SectionParameters& section = parameters.section;
    const sections::FlagParameters& flag = parameters.flag;
    const std::array<std::string, kKeys.size()> values = {
        NumberText(section.minLength),
        NumberText(section.alpha),
        NumberText(section.k),
        NumberText(section.merge),
        flag.threshold ? NumberText(*flag.threshold) : std::string(),
        NumberText(flag.gap),
        std::to_string(flag.minFlag),
        classLimits ? NumberText(classLimits->a) + ", " + NumberText(classLimits->b) + ", " +
                          NumberText(classLimits->c)
                    : std::string()};

    // Known keys take their new values where they stood; the others stay as they were.
    std::array<bool, kKeys.size()> written = {};
    std::string text;
    for (const std::string& line : lines_) {
        const std::string key = KeyOf(line, nullptr);
        std::size_t index = 0;
        while (index < kKeys.size() && key != kKeys[index])
            ++index;
        if (index == kKeys.size()) {
            text += line + "\n";
            continue;
        }
        text += key + " = " + values[index] + "\n";
        written[index] = true;
    }
    for (std::size_t i = 0; i < kKeys.size(); ++i)
        if (!written[i] && !(values[i].empty() && std::string(kKeys[i]) == "class_limits"))
            text += std::string(kKeys[i]) + " = " + values[i] + "\n";

    AtomicFileWriter file;
    if (!file.Open(PathIn(workDirectory)) || !file.Write(text.data(), text.size()) ||
        !file.Commit()) {
        message = file.Error();
        return false;
    }
    return true;
}
