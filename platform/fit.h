// Where a full-screen picture shows on a screen of another size: scaled to
// the screen's height or width, whichever it meets first, and centred. The
// Windows layer draws it so, and the tools that check a screen look there.
#pragma once
#include <algorithm>

struct FIT_Rect {
    int x, y, w, h;  // from the screen's corner, in pixels
};

inline FIT_Rect FIT_Centred(int width, int height, int screen_width, int screen_height) {
    const int w = std::min(screen_width, screen_height * width / height);
    const int h = w * height / width;
    return {(screen_width - w) / 2, (screen_height - h) / 2, w, h};
}
