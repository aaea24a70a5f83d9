// Drawing beyond single renderer calls: circle outlines and discs, and triangles outlined
// point by point or filled row by row.
#include <utility>

#include "circle_walk.h"
#include "coordinates.h"
#include "sdl_backend.h"

namespace tarnel::graphics {

namespace {

void put_point(SDL_Renderer* renderer, int32_t x, int32_t y) {
    SDL_RenderDrawPoint(renderer, clamp_coordinate(x), clamp_coordinate(y));
}

void put_row(SDL_Renderer* renderer, int32_t x1, int32_t x2, int32_t y) {
    const int row = clamp_coordinate(y);
    SDL_RenderDrawLine(renderer, clamp_coordinate(x1), row, clamp_coordinate(x2), row);
}

// Integer line walk from (x0, y0) to (x1, y1), drawing every visited point, both ends included.
void walk_line(SDL_Renderer* renderer, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    const int32_t dx = wrap_abs(wrap_sub(x1, x0));
    const int32_t dy = wrap_abs(wrap_sub(y1, y0));
    const int32_t minus_dy = wrap_neg(dy);
    const int32_t sx = x0 < x1 ? 1 : -1;
    const int32_t sy = y0 < y1 ? 1 : -1;
    int32_t err = wrap_sub(dx, dy);
    int32_t x = x0;
    int32_t y = y0;
    for (;;) {
        put_point(renderer, x, y);
        if (x == x1 && y == y1) return;
        const int32_t e2 = wrap_twice(err);
        if (e2 > minus_dy) {
            err = wrap_sub(err, dy);
            x = wrap_add(x, sx);
        }
        if (e2 < dx) {
            err = wrap_add(err, dx);
            y = wrap_add(y, sy);
        }
    }
}

struct Vertex {
    int32_t x, y;
};

// One horizontal line per row from the top vertex to the bottom one, between the long edge
// (top to bottom) and the two short edges, interpolated in single precision.
void fill_rows(SDL_Renderer* renderer, const Triangle& t) {
    Vertex v[3] = {{t.x1, t.y1}, {t.x2, t.y2}, {t.x3, t.y3}};
    // Stable sort by y: equal rows keep their argument order.
    if (v[1].y < v[0].y) std::swap(v[0], v[1]);
    if (v[2].y < v[1].y) std::swap(v[1], v[2]);
    if (v[1].y < v[0].y) std::swap(v[0], v[1]);
    const int64_t top = v[0].y;
    const int64_t middle = v[1].y;
    const int64_t bottom = v[2].y;
    if (top == bottom) return;

    const float x0 = float(v[0].x);
    const float x1 = float(v[1].x);
    const float x2 = float(v[2].x);
    const float long_height = float(bottom - top);
    for (int64_t y = top; y <= bottom; ++y) {
        const float long_x = x0 + (x2 - x0) * (float(y - top) / long_height);
        float short_x;
        if (y < middle) {
            short_x = x0 + (x1 - x0) * (float(y - top) / float(middle - top));
        } else if (bottom == middle) {
            short_x = x1;  // the flat bottom row runs from vertex 2 to vertex 3
        } else {
            short_x = x1 + (x2 - x1) * (float(y - middle) / float(bottom - middle));
        }
        put_row(renderer, saturate_to_int32(long_x), saturate_to_int32(short_x), int32_t(y));
    }
}

}  // namespace

void SdlBackend::draw_circle(int32_t cx, int32_t cy, int32_t radius) {
    SDL_Renderer* renderer = this->renderer();
    if (!renderer) return;
    walk_circle(radius, [&](int32_t x, int32_t y) {
        put_point(renderer, wrap_add(cx, x), wrap_add(cy, y));
        put_point(renderer, wrap_sub(cx, x), wrap_add(cy, y));
        put_point(renderer, wrap_add(cx, x), wrap_sub(cy, y));
        put_point(renderer, wrap_sub(cx, x), wrap_sub(cy, y));
        put_point(renderer, wrap_add(cx, y), wrap_add(cy, x));
        put_point(renderer, wrap_sub(cx, y), wrap_add(cy, x));
        put_point(renderer, wrap_add(cx, y), wrap_sub(cy, x));
        put_point(renderer, wrap_sub(cx, y), wrap_sub(cy, x));
    });
}

void SdlBackend::fill_circle(int32_t cx, int32_t cy, int32_t radius) {
    SDL_Renderer* renderer = this->renderer();
    if (!renderer) return;
    walk_circle(radius, [&](int32_t x, int32_t y) {
        put_row(renderer, wrap_sub(cx, x), wrap_add(cx, x), wrap_add(cy, y));
        put_row(renderer, wrap_sub(cx, y), wrap_add(cx, y), wrap_add(cy, x));
        put_row(renderer, wrap_sub(cx, x), wrap_add(cx, x), wrap_sub(cy, y));
        put_row(renderer, wrap_sub(cx, y), wrap_add(cx, y), wrap_sub(cy, x));
    });
}

void SdlBackend::draw_triangle(const Triangle& t) {
    SDL_Renderer* renderer = this->renderer();
    if (!renderer) return;
    walk_line(renderer, t.x1, t.y1, t.x2, t.y2);
    walk_line(renderer, t.x2, t.y2, t.x3, t.y3);
    walk_line(renderer, t.x3, t.y3, t.x1, t.y1);
}

void SdlBackend::fill_triangle(const Triangle& t) {
    if (SDL_Renderer* renderer = this->renderer()) fill_rows(renderer, t);
}

}  // namespace tarnel::graphics
