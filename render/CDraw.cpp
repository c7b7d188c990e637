// CDraw: the drawable base.
#include "render/CDraw.h"

CDraw::CDraw() : transform(4, 4)
{
}

CDraw::~CDraw() = default;

void CDraw::draw()
{
}
