// What the view's kept off-screen picture shows, band by band (the bands of
// view/paint_plan.h), so that a paint draws only the bands whose operations
// changed and the window is given only the bands whose picture changed.
//
// The rows' bands lie in the picture as a ring: row i of the view in slot
// (origin + i) mod rows, so a scroll by a few rows moves no pixels, it only
// turns the ring; the band below the last whole row has the slot after them.
// Slot k starts at pixel row k * lineHeight of the picture.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "view/paint_plan.h"

class KeptPicture {
public:
    struct Update {
        std::vector<int32_t> draw;  // bands of the view to draw into their slots
        std::vector<int32_t> show;  // bands of the view whose picture on the window changes
    };

    // Compares a whole plan (of the view at `topRow`) with what the picture
    // holds and records it as held. `frame` stands for every input of the
    // picture outside the plan (size, font, colours): when it differs from
    // the last one, everything is drawn and shown again.
    void update(const PaintPlan& plan, int32_t topRow, std::string_view frame, Update& out);

    // The slot of a band of the view, as the last update left the ring.
    int32_t slotOf(int32_t band) const;

    // A part of the picture to copy: `height` pixel rows from `pictureTop`
    // to the view's `viewTop`.
    struct Piece {
        int32_t viewTop, pictureTop, height;
    };
    // The pieces that make up the view's pixel rows [top, bottom), at most
    // three (the ring's two halves and the band below the rows).
    void pieces(int32_t top, int32_t bottom, std::vector<Piece>& out) const;

    // The picture or the window's pixels are lost or unknown: the next
    // update draws and shows everything.
    void forget() { known_ = false; }

private:
    int32_t slotWith(int32_t origin, int32_t band) const;

    bool known_ = false;
    std::string frame_;
    int32_t topRow_ = 0, rows_ = 0, origin_ = 0, lineHeight_ = 0, height_ = 0;
    std::vector<std::string> slots_;  // what each slot holds, as bandSignature
    std::vector<std::string> fresh_;  // the plan's bands, the same way
};

// Everything a band's picture depends on within the plan: its height and its
// operations relative to its top (a fill clipped to the band), texts included.
void bandSignature(const PaintPlan& plan, const PaintBand& band, std::string& out);
