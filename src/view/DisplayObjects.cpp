#include "view/DisplayObjects.h"

#include "document/CVorlixDoc.h"

namespace {

bool Meets(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

} // namespace

DisplayObjects::DisplayObjects(CVorlixDoc& doc) : picture(doc.images) {
    colourMap.rowStep = 4; // GPR samples per image row
}

void DisplayObjects::TakeSignalRanges(const CVorlixDoc& doc) {
    signalRanges = {doc.loadMin, doc.loadMax, doc.geoMin, doc.geoMax};
}

void DisplayObjects::ForgetCursorsIn(const Rect& area) {
    for (Cmoveline& line : cursorLines)
        if (Meets(line.lineRect, area))
            line.Forget();
    if (Meets(gprCursor.lineRect, area))
        gprCursor.Forget();
}
