#pragma once

#include <string>

// Names of the files that come with a raw test file: its path up to and including the last
// '.' of its file name, plus the extension letters; or the whole path plus the dotted extension
// when the file name has no '.'. A '.' in a folder name is not taken: "run.1/road" would else
// read "run.GPS" and export over "run.TXT", the files of another test.
struct CompanionNames {
    std::string img, gps, dat, rdo, txt;
};

CompanionNames DeriveCompanionNames(const std::string& rawPath);

// The companion file as it exists: the derived name when that file exists, else a file of the
// same folder whose name matches it ignoring case (a recorder may write "T.kvt" with "T.img");
// the derived name when neither exists.
std::string FindCompanionFile(const std::string& derivedPath);

class Czipimg;
class CNMEA;

// What the status bar and `info` say of companion files read only in part or repaired in
// memory; empty when there is nothing to say.
namespace companions {
std::string ImageIndexNote(const Czipimg& images);
std::string GpsReadNote(const CNMEA& gps);
} // namespace companions
