#pragma once

// The header block of a GPR file. Only its kind mark is read, and that is kept as the file kind.
class Cgprheader {
public:
    virtual ~Cgprheader() = default;
};
