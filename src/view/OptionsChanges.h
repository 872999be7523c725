#pragma once

// What a run of the options dialog changed in the settings it edited.
struct OptionsChanges {
    bool accepted = false; // closed with OK: the settings are to be stored
    // The band or a calibration factor differs: the segment is to be read and analysed again.
    // The low-pass cut-off is not read by the analysis and does not count.
    bool analysisChanged = false;
    bool smoothingChanged = false; // the smoothing method or one of its parameters differs
    // Another geophone than the one read was chosen at some time, even if the dialog was then
    // cancelled or the choice taken back.
    bool geophoneChanged = false;
};
