#pragma once

#include "analysis/SectionClasses.h"
#include "analysis/Sections.h"

#include <optional>

#include <string>
#include <vector>

// Vorlixsections.ini in the working directory: "key = value" lines. A missing file or key means
// the default; keys this program does not know are kept, in place, when the file is saved.
//
//   min_length = 500      alpha = 0.05     k = 2
//   merge = 0             threshold =      (empty: none)
//   gap = 5               min_flag = 3
//   class_limits = 4.1, 5.2, 6.3   (three rising numbers; empty or missing: the quartiles)
class SectionsSettingsFile {
public:
    static constexpr const char* kFileName = "Vorlixsections.ini";

    // Reads the file of workDirectory; false with `error` naming the key of a bad value (alpha
    // outside (0, 1), a negative length, text where a number belongs), or a file that cannot
    // be read. A missing file is not an error.
    bool Load(const std::string& workDirectory, std::string* error);
    // Writes the parameters back through a temporary name, unknown lines kept.
    bool Save(const std::string& workDirectory, std::string* error) const;

    // Checks one key's text value and sets it; false with a message naming the key. The
    // command-line options go through here too.
    bool Set(const std::string& key, const std::string& value, std::string* error);

    sections::Parameters parameters;
    // The limits of the four classes of the map outputs; none: the quartiles of the file's
    // characteristic values.
    std::optional<sections::ClassLimits> classLimits;

private:
    std::vector<std::string> lines_; // the file as read, for the keys this program does not know
};
