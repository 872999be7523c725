#include "pipeline/SegmentStepping.h"

#include "document/CKVTcontrol.h"

bool StepToPreviousSegment(CKVTcontrol& options) {
    if (options.segmentCount <= 1 || options.currentSegment <= 0)
        return false;
    --options.currentSegment;
    return true;
}

bool StepToNextSegment(CKVTcontrol& options) {
    if (options.segmentCount <= 1 || options.currentSegment >= options.segmentCount - 1)
        return false;
    ++options.currentSegment;
    return true;
}
