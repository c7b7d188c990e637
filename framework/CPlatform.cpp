// CPlatform: the process-wide platform choice.
#include "framework/CPlatform.h"

#include "framework/CSdlPlatform.h"

namespace {

CPlatform* installed = nullptr;

CSdlPlatform& sdlPlatform()
{
    static CSdlPlatform instance;
    return instance;
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
