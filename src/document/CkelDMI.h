#pragma once

// The DMI station table of the distance-profile figure. Refreshed after every load; its
// contents come with the charts.
class CkelDMI {
public:
    virtual ~CkelDMI() = default;
};
