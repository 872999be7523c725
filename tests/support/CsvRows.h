#pragma once

#include <sstream>
#include <string>
#include <vector>

// The fields of each line of a CSV text with CR LF ends whose fields are never quoted.
inline std::vector<std::vector<std::string>> CsvRows(const std::string& csv) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(csv);
    for (std::string line; std::getline(lines, line);) {
        line.back() = ','; // the CR: so that an empty last field counts too
        rows.emplace_back();
        for (std::size_t at = 0, comma; (comma = line.find(',', at)) != std::string::npos;
             at = comma + 1)
            rows.back().push_back(line.substr(at, comma - at));
    }
    return rows;
}
