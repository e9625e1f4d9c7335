// The acceptance test of the graphics card: video memory, the card's identity against the lists of
// accepted and rejected cards, and five small scenes rendered, read back and compared. The outcome is
// a failure reason (unsupported), a warning (not recommended) or neither (recommended), kept in the
// settings per card and memory requirement so that the scenes are rendered only when something changed.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Device3D.h"

namespace Olvarn
{

class GraphicsHost;

class D3DTestImage
{
public:
    virtual ~D3DTestImage() = default;
    void Resize(int width, int height);
    // Vertical one-pixel stripes: odd columns white, even columns black.
    void FillStripes();
    // Counts the pixels of the top-left block farther than the tolerance from the colour; true when
    // every pixel of the block equals its first.
    bool Compare(uint32_t color, int& count, int width, int height) const;
    // Pixels of the block at (x, y) off the stripes (white in its odd columns, black in its even ones).
    int CountStripeErrors(int width, int height, int x, int y) const;

    std::vector<uint32_t> mBits;
    int mWidth = 0;
    int mHeight = 0;
};

// What the display knows of the card and the desktop beside what the renderer reports.
struct D3DCardFacts {
    std::string mDescription;
    std::array<uint8_t, 16> mGuid{};
    // The year of the display driver; 0 when it cannot be known.
    int mDriverYear = 0;
    // Video memory in bytes; empty error text when the figure could be had.
    uint64_t mVideoMemory = 0;
    std::string mVideoMemoryError;
    // Bytes the desktop takes: bytes per pixel x width x height.
    uint64_t mDesktopBytes = 0;
};

class D3DTester
{
public:
    class TestException : public std::exception
    {
    public:
        explicit TestException(std::string message) : mMessage(std::move(message)) {}
        const char* what() const noexcept override { return mMessage.c_str(); }
        std::string mMessage;
    };

    explicit D3DTester(GraphicsHost* host);
    virtual ~D3DTester();
    D3DTester(const D3DTester&) = delete;
    D3DTester& operator=(const D3DTester&) = delete;

    // The whole test. The card's identity comes from a renderer of the test's own unless the facts
    // name it; the desktop and memory fallback come from the facts.
    void Run(const D3DCardFacts& facts, bool identityFromFacts = false);
    // Throws a TestException naming the step for a failed result.
    static void DXError(DisplayResult result, const std::string& step);
    // Whether the card lists and the driver-year rule accept the card.
    bool CheckCard(const std::string& description) const;

    bool IsSupported() const { return mFailureReason.empty(); }
    bool IsRecommended() const { return mFailureReason.empty() && mWarning.empty(); }

    std::string mFailureReason;
    std::string mWarning;
    unsigned mMinVidMemory = 0;
    unsigned mRecVidMemory = 0;
    bool mUseRegistry = true;
    bool mWriteResults = false;
    bool mFreshResult = false;
    int mDriverYear = 0;
    std::array<uint8_t, 16> mDisplayGuid{};
    // Where the card lists are looked for; empty means the current directory.
    std::string mCardListFolder;
    // Renders with 16-bit test textures as a card without 32-bit ones would.
    bool mForce16BitTextures = false;

private:
    bool Setup(const D3DCardFacts& facts, bool identityFromFacts);
    bool ReadCache();
    void WriteCache();
    void RunRenderTests();
    void DrawTestImage(const D3DTestImage& image, int x0, int y0, uint32_t diffuse);
    void ReadBack();
    bool ListMatches(const std::string& file, const std::string& description, bool& opened) const;
    void Release();

    GraphicsHost* mHost = nullptr;
    std::unique_ptr<Device3D> mDevice;
    Texture3D* mTexture1 = nullptr;
    Texture3D* mTexture2 = nullptr;
    bool mTextures16 = false;
    D3DTestImage mReadBack;
};

} // namespace Olvarn
