// CPlatform: the process-wide platform choice.
#include "framework/CPlatform.h"

#include "framework/CSdlPlatform.h"

namespace {

CPlatform* installed = nullptr;

// Never destroyed: the application object is itself a static, and its
// destructor still closes the window through the platform at process exit,
// after function-local statics made later would already be gone.
CSdlPlatform& sdlPlatform()
{
    static CSdlPlatform* const instance = new CSdlPlatform;
    return *instance;
}

}

CPlatform& platform()
{
    if (installed != nullptr)
        return *installed;
    return sdlPlatform();
}

void setPlatform(CPlatform* replacement)
{
    installed = replacement;
}
