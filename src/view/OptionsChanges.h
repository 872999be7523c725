#pragma once

// What a run of the options dialog changed in the settings it edited.
struct OptionsChanges {
    bool accepted = false;        // closed with OK: the settings are to be stored
    bool analysisChanged = false; // the band, a calibration factor or the smoothing differs
    // Another geophone than the one read was chosen at some time, even if the dialog was then
    // cancelled or the choice taken back.
    bool geophoneChanged = false;
};
