// GLSupport: what the renderer needs from the framework's GL context.
#pragma once

// The address of a GL entry point of the current context's driver, null when
// unknown (no context yet, or not exported).
void* getGLProcAddress(const char* name);

// The current application's drawable size in pixels; false (and 0, 0) when
// there is no window.
bool getDrawableSize(int& width, int& height);
