// GLSupport: GL procedure lookup and drawable size through the platform.
#include "framework/GLSupport.h"

#include "framework/CApp.h"
#include "framework/CPlatform.h"

void* getGLProcAddress(const char* name)
{
    return platform().glProcAddress(name);
}

bool getDrawableSize(int& width, int& height)
{
    width = 0;
    height = 0;
    if (currentApp == nullptr || currentApp->getWindow() == nullptr)
        return false;
    return platform().drawableSize(currentApp->getWindow(), width, height);
}
