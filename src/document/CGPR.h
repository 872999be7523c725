#pragma once

#include <string>

// GPR scans and their colour map (".DAT"). Only the path is kept until the GPR view is built.
class CGPR {
public:
    virtual ~CGPR() = default;
    std::string path;
};
