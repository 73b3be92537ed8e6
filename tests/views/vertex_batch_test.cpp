// Long lines, strips and point sets drawn from a vertex batch (in pieces)
// must cover exactly what one vertex-by-vertex primitive covers: a piece
// boundary that drops or repeats a segment or a triangle shows as a gap or a
// wrong colour.
#include <GL/gl.h>

#include <vector>

#include "tests/views/views_test_support.h"
#include "viewer/display/view_common.h"

namespace {

struct Vertex {
    float x, y;
    Colour colour;
};

// A serpentine through the canvas, rows 8 pixels apart and vertices 2 pixels
// apart, alternating between the two edges of each row for a strip, so
// nothing overlaps and every triangle and segment is visible on its own.
std::vector<Vertex> serpentine(int count, bool strip) {
    std::vector<Vertex> v;
    const Colour palette[3] = {{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}};
    for (int i = 0; i < count; ++i) {
        const int step = strip ? i / 2 : i;
        const int row = step / 120, col = step % 120;
        const float x = 8.0f + 2.0f * float(row % 2 ? 119 - col : col);
        const float y = 4.0f + 10.0f * float(row) + (strip && i % 2 ? 6.0f : 0.0f);
        v.push_back({x, y, palette[(i / 7) % 3]});
    }
    return v;
}

std::vector<uint8_t> picture() {
    std::vector<uint8_t> pixels(size_t(CANVAS) * CANVAS * 4);
    glFinish();
    glReadPixels(0, 0, CANVAS, CANVAS, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

void pixelOrtho() {
    glViewport(0, 0, CANVAS, CANVAS);
    glDisable(GL_DEPTH_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, CANVAS, 0, CANVAS, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

TEST(VertexBatches, CoverWhatOnePrimitiveCoversAcrossEveryPieceBoundary) {
    GlCanvas canvas;
    REQUIRE_GL(canvas);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glLineWidth(2.0f);
    glPointSize(1.0f);
    struct Case {
        GLenum mode;
        const char* name;
    };
    for (const Case c : {Case{GL_LINE_STRIP, "line strip"}, Case{GL_TRIANGLE_STRIP, "triangle strip"},
                         Case{GL_POINTS, "points"}}) {
        // Around one and two pieces, and a count whose last piece holds only
        // the overlap.
        for (int count : {1, 2, 3, 1023, 1024, 1025, 1026, 2045, 2046, 2047, 2048, 2900}) {
            SCOPED_TRACE(std::string(c.name) + " of " + std::to_string(count));
            const std::vector<Vertex> vertices = serpentine(count, c.mode == GL_TRIANGLE_STRIP);
            pixelOrtho();
            glBegin(c.mode);
            for (const Vertex& v : vertices) {
                setColour(v.colour);
                glVertex2f(v.x, v.y);
            }
            glEnd();
            const std::vector<uint8_t> reference = picture();
            pixelOrtho();
            VertexBatch& batch = VertexBatch::begin(true);
            batch.reserve(vertices.size());
            for (const Vertex& v : vertices) batch.add(v.x, v.y, 0.0, v.colour);
            const Colour last{0.3f, 0.6f, 0.9f};
            batch.draw(c.mode, &last);
            EXPECT_EQ(picture(), reference);
            GLfloat current[4] = {0, 0, 0, 0};
            glGetFloatv(GL_CURRENT_COLOR, current);
            EXPECT_FLOAT_EQ(current[2], 0.9f) << "the colour it is told to leave";
        }
    }
}

TEST(VertexBatches, GrowWhenMoreIsAddedThanReserved) {
    GlCanvas canvas;
    REQUIRE_GL(canvas);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    const std::vector<Vertex> vertices = serpentine(1500, false);
    pixelOrtho();
    glBegin(GL_POINTS);
    for (const Vertex& v : vertices) {
        setColour(v.colour);
        glVertex2f(v.x, v.y);
    }
    glEnd();
    const std::vector<uint8_t> reference = picture();
    pixelOrtho();
    VertexBatch& batch = VertexBatch::begin(true);
    batch.reserve(10);
    for (const Vertex& v : vertices) batch.add(v.x, v.y, 0.0, v.colour);
    batch.draw(GL_POINTS);
    EXPECT_EQ(picture(), reference);
}

}  // namespace
