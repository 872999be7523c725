#pragma once

#include "view/DisplayObjects.h"
#include "view/Screen.h"
#include "view/SpectrumWindow.h"

#include <string>
#include <vector>

class Canvas;
class CVorlixDoc;
namespace sections {
struct Result;
}

// The screens of the view, each drawn at once into the canvas from the document. Plain
// functions of what they draw, so that tests and benchmarks run them without a window.
namespace screens {

// The signal modes (load, geophone, each alone or with its filtered signal over it): the whole
// client area from the first page, without cycle markers.
void DrawSignalMode(Canvas& dc, DisplayObjects& objects, const CVorlixDoc& doc, DisplayMode mode);
// A page of the mode on the figure as laid out, markers included with the filtered signals.
// Returns false, drawing nothing, for a page outside the figure's pages.
bool DrawSignalPage(Canvas& dc, DisplayObjects& objects, const CVorlixDoc& doc, DisplayMode mode,
                    int page);

// The power spectrum of the window of the raw load or geophone signal. Returns false with
// *error set, drawing nothing, when it cannot be computed.
bool DrawSpectrum(Canvas& dc, DisplayObjects& objects, const CVorlixDoc& doc, DisplayMode mode,
                  SpectrumWindow window, std::string* error);

// The result redraw: the per-cycle results and their smoothed curve in the layout's result
// rectangle; the whole client area is cleared first on the result view. With `road`, the
// sections and flags that lie in the segment are drawn over it.
void DrawResult(Canvas& dc, DisplayObjects& objects, const CVorlixDoc& doc,
                const sections::Result* road = nullptr);
void DrawResultView(Canvas& dc, DisplayObjects& objects, const CVorlixDoc& doc,
                    const sections::Result* road = nullptr);

// Temperature, level and speed along the GPS track.
void DrawOther(Canvas& dc, DisplayObjects& objects, const CVorlixDoc& doc);

// Data views 1 to 4: the result chart, the road picture, the zoom or detail charts' places,
// the readout bar, the cursor lines (placed and hidden) and, with the GPR display on, the GPR
// image (views 1, 2). Any other screen draws nothing.
void DrawDataView(Canvas& dc, DisplayObjects& objects, CVorlixDoc& doc, Screen view,
                  const sections::Result* road = nullptr);
// The four readouts with their titles, placed for the current layout kind.
void DrawReadoutBar(Canvas& dc, DisplayObjects& objects);

// The readout settings and cursor colours every open gives.
void ResetAfterOpen(DisplayObjects& objects);

// Clears the client area; the cursor lines drop the pixels they saved from it.
void ClearClient(Canvas& dc, DisplayObjects& objects);

} // namespace screens
