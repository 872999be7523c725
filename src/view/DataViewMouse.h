#pragma once

class Canvas;
class CVorlixDoc;
class DistanceLink;
struct DisplayObjects;

// The mouse on the data views: clicks pick distances and move the cursor lines, moves fill
// the four readouts, a drag on the colour bar moves a palette handle. On any other screen,
// or with fewer than 100 points loaded, it does nothing.
class DataViewMouse {
public:
    DataViewMouse(DisplayObjects& objects, CVorlixDoc& doc, DistanceLink& link)
        : objects_(objects), doc_(doc), link_(link) {}

    bool Active() const;
    void LeftDown(Canvas& dc, int x, int y);
    // With Shift the value readouts show the measured value at the nearest data point instead
    // of the coordinate under the mouse.
    void Move(Canvas& dc, int x, int y, bool shift);
    void LeftUp(Canvas& dc, int x, int y);

private:
    bool DragsColourBar() const;
    void ShowReadouts(Canvas& dc, float distance, float value, bool valueKnown);

    DisplayObjects& objects_;
    CVorlixDoc& doc_;
    DistanceLink& link_;
};
