#include "viewer/display/view_common.h"

#include <GL/gl.h>

#include <algorithm>

#include "viewer/analysis/local_frame.h"
#include "viewer/display/display_state.h"

int animatedSample() {
    if (!animation.animating) return -1;
    const LapRecord& lap = currentLapRecord();
    const int s = lap.startSample + animation.animationFrame;
    return animation.animationFrame >= 0 && s <= lap.endSample ? s : -1;
}

bool isClimbing(int sample, const LapRecord& lap) {
    if (sample > lap.startSample) return pointAt(sample).y > pointAt(sample - 1).y;
    if (sample - 1 < 1) return false;
    return sampleInLocalFrame(sample).y > sampleInLocalFrame(sample - 1).y;
}

bool colourMapColour(int sample, const LapRecord& lap, Colour& out) {
    switch (viewState.colourMapMode) {
        case COLOUR_MAP_NONE: out = viewState.roadColour; return true;
        case COLOUR_MAP_ACCELERATION:
            out = pointAt(sample).acceleration >= 0.0 ? viewState.accelColour : viewState.decelColour;
            return true;
        case COLOUR_MAP_CLIMB:
            out = isClimbing(sample, lap) ? viewState.uphillColour : viewState.downhillColour;
            return true;
        default: return false;
    }
}

void setColour(const Colour& c) { glColor3f(c.r, c.g, c.b); }

namespace {
constexpr GLsizei VERTICES_PER_DRAW = 1024;  // even, so triangle-strip pieces start on even vertices
}  // namespace

VertexBatch& VertexBatch::begin(bool coloured) {
    static VertexBatch batch;
    batch.coloured_ = coloured;
    batch.count_ = 0;
    return batch;
}

void VertexBatch::reserve(size_t vertices) {
    if (count_ + vertices <= capacity_) return;
    capacity_ = count_ + vertices;
    xyz_.resize(3 * capacity_);
    rgb_.resize(3 * capacity_);  // kept for every batch: a coloured one may follow
}

void VertexBatch::grow() { reserve(std::max<size_t>(capacity_, 256)); }

void VertexBatch::draw(unsigned mode, const Colour* after) const {
    const GLsizei count = GLsizei(count_);
    if (count == 0) return;
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, xyz_.data());
    if (coloured_) {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(3, GL_FLOAT, 0, rgb_.data());
    }
    // In pieces: the software rasteriser allocates per draw call in
    // proportion to its vertex count. A strip's piece repeats the vertices
    // the next one starts from (one for lines, two for triangles, from an even
    // vertex so every triangle keeps its vertex order), so every segment and
    // triangle is drawn exactly once and as a whole.
    const GLsizei overlap = mode == GL_LINE_STRIP ? 1 : mode == GL_TRIANGLE_STRIP ? 2 : 0;
    const GLsizei step = mode == GL_POINTS ? VERTICES_PER_DRAW : VERTICES_PER_DRAW - overlap;
    if (mode != GL_POINTS && overlap == 0) {
        glDrawArrays(GLenum(mode), 0, count);  // other primitives in one call
    } else {
        for (GLsizei first = 0; first < count; first += step) {
            const GLsizei n = std::min(VERTICES_PER_DRAW, count - first);
            if (n <= overlap && first > 0) break;  // nothing the last piece has not drawn
            glDrawArrays(GLenum(mode), first, n);
        }
    }
    glPopClientAttrib();
    // The current colour is undefined after an array draw with colours.
    if (coloured_ && after) setColour(*after);
}
