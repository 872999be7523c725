#pragma once

#include <string>

// The road-image store (".IMG"). Only the path is kept until the picture viewer is built.
class Czipimg {
public:
    virtual ~Czipimg() = default;
    std::string imgPath;
};
