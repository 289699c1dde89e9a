#include "view/kept_picture.h"

#include <algorithm>
#include <cstring>

namespace {

template <typename T>
void put(std::string& out, T value) {
    char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    out.append(bytes, sizeof value);
}

}  // namespace

void bandSignature(const PaintPlan& plan, const PaintBand& band, std::string& out) {
    out.clear();
    put(out, band.bottom - band.top);
    for (uint32_t i = 0; i < band.count; ++i) {
        const PaintOp& op = plan.bandOp(band, i);
        int32_t y0 = op.y0 - band.top, y1 = op.kind == PaintKind::Line ? op.y1 - band.top : op.y1;
        if (op.kind == PaintKind::Fill) {
            // Only the part inside the band shows.
            y0 = std::max(op.y0, band.top) - band.top;
            y1 = std::min(op.y1, band.bottom) - band.top;
        }
        put(out, op.kind);
        put(out, op.color);
        put(out, op.width);
        put(out, op.x0);
        put(out, y0);
        put(out, op.x1);
        put(out, y1);
        if (op.kind == PaintKind::Text) {
            put(out, op.length);
            out.append(plan.textOf(op), op.length);
        }
    }
}

int32_t KeptPicture::slotWith(int32_t origin, int32_t band) const {
    return band < rows_ ? (origin + band) % rows_ : band;
}

int32_t KeptPicture::slotOf(int32_t band) const { return slotWith(origin_, band); }

void KeptPicture::update(const PaintPlan& plan, int32_t topRow, std::string_view frame, Update& out) {
    const auto n = plan.bands.size();
    const int32_t rows = plan.visibleRows;
    const bool same = known_ && frame == frame_ && rows == rows_ && slots_.size() == n;
    if (!same) {
        frame_.assign(frame);
        rows_ = rows;
        origin_ = 0;
        slots_.assign(n, std::string());  // matches no band
    }
    lineHeight_ = rows > 0 ? plan.bands.front().bottom - plan.bands.front().top : 0;
    height_ = n > 0 ? plan.bands.back().bottom : 0;
    fresh_.resize(n);
    for (size_t i = 0; i < n; ++i) bandSignature(plan, plan.bands[i], fresh_[i]);

    // A scroll by fewer rows than the view shows turns the ring: the rows
    // that stay in view keep their pixels.
    int32_t origin = origin_;
    const int64_t moved = static_cast<int64_t>(topRow) - topRow_;
    if (same && moved != 0 && moved > -rows && moved < rows) {
        origin = static_cast<int32_t>(((origin_ + moved) % rows + rows) % rows);
    }
    out.draw.clear();
    out.show.clear();
    for (size_t i = 0; i < n; ++i) {
        const auto band = static_cast<int32_t>(i);
        if (!same || fresh_[i] != slots_[static_cast<size_t>(slotWith(origin_, band))]) out.show.push_back(band);
        if (fresh_[i] != slots_[static_cast<size_t>(slotWith(origin, band))]) out.draw.push_back(band);
    }
    for (int32_t band : out.draw) slots_[static_cast<size_t>(slotWith(origin, band))].swap(fresh_[static_cast<size_t>(band)]);
    origin_ = origin;
    topRow_ = topRow;
    known_ = true;
}

void KeptPicture::pieces(int32_t top, int32_t bottom, std::vector<Piece>& out) const {
    out.clear();
    top = std::max(top, 0);
    bottom = std::min(bottom, height_);
    const int32_t rowsBottom = rows_ * lineHeight_;
    for (int32_t y = top; y < bottom;) {
        const int32_t band = y < rowsBottom ? y / lineHeight_ : rows_;
        const int32_t bandTop = band * lineHeight_;
        const int32_t bandBottom = band < rows_ ? bandTop + lineHeight_ : height_;
        const int32_t pictureY = slotOf(band) * lineHeight_ + (y - bandTop);
        const int32_t height = std::min(bottom, bandBottom) - y;
        if (!out.empty() && out.back().viewTop + out.back().height == y &&
            out.back().pictureTop + out.back().height == pictureY) {
            out.back().height += height;
        } else {
            out.push_back({y, pictureY, height});
        }
        y += height;
    }
}
