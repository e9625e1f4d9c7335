// Result names for error texts, and the display device's own start-up result names.
#include <gtest/gtest.h>

#include "graphics/DDInterface.h"
#include "graphics/DirectXErrors.h"
#include "platform/DisplayResult.h"

using namespace Olvarn;

TEST(DDResultNamesTest, KnownCodesGiveTheirNames)
{
    struct Case {
        uint32_t code;
        const char* name;
    } cases[] = {
        {0x887601C2, "DDERR_SURFACELOST"},
        {0x88780096, "DSERR_BUFFERLOST"},
        {0x80070057, "DDERR_INVALIDPARAMS"},
        {0x80004005, "DSERR_GENERIC"},
        {0x8007000E, "E_OUTOFMEMORY"},
        {0x80004001, "DDERR_UNSUPPORTED"},
        {0x80004002, "DSERR_NOINTERFACE"},
        {0x80040110, "DSERR_NOAGGREGATION"},
        {0x800401F0, "DDERR_NOTINITIALIZED"},
        {0x88760835, "D3DERR_INBEGINSTATEBLOCK"},
        {0x88760005, "DDERR_ALREADYINITIALIZED"},
        {0x887602BB, "DDERR_DEVICEDOESNTOWNSURFACE"},
        {0x887602BC, "D3DERR_BADMAJORVERSION"},
        {0x88760836, "D3DERR_NOTINBEGINSTATEBLOCK"},
        {0x8878000A, "DSERR_ALLOCATED"},
        {0x887800AA, "DSERR_UNINITIALIZED"},
        {0x8876017C, "DDERR_OUTOFVIDEOMEMORY"},
        {0x88760219, "DDERR_VERTICALBLANKINPROGRESS"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetDirectXErrorName(int(c.code)), c.name) << std::hex << c.code;
}

TEST(DDResultNamesTest, UnknownCodesPrintAsLowerCaseHex)
{
    EXPECT_EQ(GetDirectXErrorName(int(0x887602C6u)), "887602c6");
    EXPECT_EQ(GetDirectXErrorName(int(0x80004003u)), "80004003");
    EXPECT_EQ(GetDirectXErrorName(0), "0");
    EXPECT_EQ(GetDirectXErrorName(0x1A), "1a");
}

TEST(DDResultNamesTest, PlatformErrorsAreNamed)
{
    for (DisplayResult r : {DisplayError::SurfaceLost, DisplayError::InvalidPixelFormat, DisplayError::InvalidRect,
                            DisplayError::SurfaceBusy, DisplayError::OutOfVideoMemory, DisplayError::NoExclusiveMode,
                            DisplayError::InvalidMode, DisplayError::Unsupported, DisplayError::NotLocked,
                            DisplayError::UnsupportedFormat, DisplayError::NotFlippable, DisplayError::NoHwnd,
                            DisplayError::CantLockSurface, DisplayError::SurfaceNotAttached})
        EXPECT_EQ(GetDirectXErrorName(r).rfind("DDERR_", 0), 0u) << std::hex << uint32_t(r);
}

TEST(DDResultNamesTest, InitResultNames)
{
    const char* names[] = {"RESULT_OK",
                           "RESULT_FAIL",
                           "RESULT_DD_CREATE_FAIL",
                           "RESULT_SURFACE_FAIL",
                           "RESULT_EXCLUSIVE_FAIL",
                           "RESULT_DISPCHANGE_FAIL",
                           "RESULT_INVALID_COLORDEPTH"};
    for (int i = 0; i <= 6; ++i)
        EXPECT_EQ(DDInterface::GetResultName(i), names[i]);
    EXPECT_EQ(DDInterface::GetResultName(DDInterface::RESULT_3D_INIT_FAIL), "RESULT_UNKNOWN");
    EXPECT_EQ(DDInterface::GetResultName(-1), "RESULT_UNKNOWN");
}
