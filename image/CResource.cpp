// CResource: out-of-line virtual destructor, so the class has one home for
// its virtual table.
#include "image/CResource.h"

CResource::~CResource() = default;
