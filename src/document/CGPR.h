#pragma once

#include "document/Cgprdata.h"

// The GPR companion file (".DAT") of the open test. Its colour map and cursor line are drawing
// objects and live with the view.
class CGPR {
public:
    virtual ~CGPR() = default;
    Cgprdata gprData;
};
