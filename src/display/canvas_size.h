// The logical canvas every screen is drawn in, whatever the display's size.
#pragma once

constexpr int CANVAS_WIDTH = 640;
constexpr int CANVAS_HEIGHT = 480;
