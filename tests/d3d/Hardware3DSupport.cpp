#include "Hardware3DSupport.h"

#include "graphics/DDInterface.h"

namespace d3dtest
{

void MemoryHost::ReleaseImageTextures(Olvarn::MemoryImage* image)
{
    if (mDevice)
        mDevice->ReleaseImageTextures(image);
}

} // namespace d3dtest
