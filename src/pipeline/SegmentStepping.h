#pragma once

class CKVTcontrol;

// The previous- and next-segment commands. Each moves options.currentSegment by one within
// 0 .. segmentCount - 1 and returns true when the file must be read again; with fewer than two
// segments, or at the end it would step past, nothing changes and it returns false.
bool StepToPreviousSegment(CKVTcontrol& options);
bool StepToNextSegment(CKVTcontrol& options);
