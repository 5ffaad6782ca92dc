// display_size.h: the size of the window's client area and of the screen
// texture, which follow the room being played.
#pragma once

// The window's client area (cut to the screen) and the screen texture take a
// new size; the texture is remade at once, or at the next frame's start when a
// frame is open. Nothing changes when the sizes are already those.
void GR_SetWindowSize(int width, int height);
