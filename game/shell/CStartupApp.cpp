// The game's identity and options.
#include "shell/CStartupApp.h"

namespace tilvan
{

CStartupApp::CStartupApp()
{
    mProductName = kProductName;
    mProductVersion = kVersion;
    mTitle = mProductName + "  " + mProductVersion;
    mRegKey = "Quendril\\Tamberlo";
    mWidth = 1024;
    mHeight = 768;
    mOnlyAllowOneCopyToRun = true;
    mVSyncUpdates = true;
}

} // namespace tilvan
