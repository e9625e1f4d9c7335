// The graphics card's acceptance test.
#include "graphics/D3DTester.h"

#include <algorithm>
#include <fstream>
#include <functional>

#include "core/StringUtils.h"
#include "graphics/D3DInterface.h"
#include "graphics/DirectXErrors.h"
#include "graphics/GraphicsHost.h"
#include "platform/SettingsStore.h"

namespace Olvarn
{

namespace
{

constexpr int kTargetSize = 100;
constexpr int kTextureSize = 64;
constexpr int kBlock = 10;
constexpr int kTolerance = 768;
constexpr uint32_t kCacheVersion = 2;
constexpr size_t kMaxCachedText = 4096;
constexpr size_t kMaxListLine = 3999;

int Distance(uint32_t a, uint32_t b)
{
    const int dr = int(a >> 16 & 0xFF) - int(b >> 16 & 0xFF);
    const int dg = int(a >> 8 & 0xFF) - int(b >> 8 & 0xFF);
    const int db = int(a & 0xFF) - int(b & 0xFF);
    return dr * dr + dg * dg + db * db;
}

std::vector<uint8_t> Dword(uint32_t v)
{
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

// A string value is stored with its terminating zero.
std::vector<uint8_t> Text(const std::string& s)
{
    std::vector<uint8_t> v(s.begin(), s.end());
    v.push_back(0);
    return v;
}

struct RenderTest {
    BlendFactor3D mSource;
    BlendFactor3D mDest;
    uint32_t mFirst, mFirstDiffuse;
    uint32_t mSecond, mSecondDiffuse; // 0 with the stripes: one draw only
    bool mStripes;
    uint32_t mExpected;
    const char* mFailure;
    const char* mWarning;
};

const RenderTest kRenderTests[] = {
    {BlendFactor3D::SrcAlpha, BlendFactor3D::InvSrcAlpha, 0xFF0000FF, 0xFFFFFFFF, 0x80FF0000, 0xFFFFFFFF, false,
     0x7F007F, "Alpha blend Not Supported", "Alpha blend test not uniform."},
    {BlendFactor3D::One, BlendFactor3D::One, 0xFF404040, 0xFFFFFFFF, 0xFF404040, 0xFFFFFFFF, false, 0x808080,
     "Additive blend not supported.", "Additive blend test not uniform."},
    {BlendFactor3D::SrcAlpha, BlendFactor3D::One, 0xFF404040, 0xFFFFFFFF, 0x80808080, 0xFFFFFFFF, false, 0x808080,
     "AlphaAdd blend not supported.", "AlphaAdd blend test not uniform."},
    {BlendFactor3D::SrcAlpha, BlendFactor3D::InvSrcAlpha, 0xFF0000FF, 0xFFFFFFFF, 0xFFFF0000, 0x80FFFFFF, false,
     0x7F007F, "AlphaModulated blend not supported.", "AlphaModulated blend test not uniform."},
    {BlendFactor3D::SrcAlpha, BlendFactor3D::InvSrcAlpha, 0, 0xFFFFFFFF, 0, 0, true, 0, nullptr,
     "Clip problem detected."},
};

} // namespace

// --- The read-back image ---------------------------------------------------------------------------

void D3DTestImage::Resize(int width, int height)
{
    mBits.clear();
    mWidth = width > 0 ? width : 0;
    mHeight = height > 0 ? height : 0;
    if (width > 0 && height > 0)
        mBits.assign(size_t(width) * size_t(height), 0);
}

void D3DTestImage::FillStripes()
{
    for (int y = 0; y < mHeight; ++y)
        for (int x = 0; x < mWidth; ++x)
            mBits[size_t(y) * size_t(mWidth) + size_t(x)] = (x & 1) ? 0xFFFFFFFF : 0xFF000000;
}

bool D3DTestImage::Compare(uint32_t color, int& count, int width, int height) const
{
    count = 0;
    width = std::min(width, mWidth);
    height = std::min(height, mHeight);
    if (width <= 0 || height <= 0)
        return true;
    const uint32_t first = mBits[0];
    bool uniform = true;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t p = mBits[size_t(y) * size_t(mWidth) + size_t(x)];
            if (Distance(p, color) > kTolerance)
                ++count;
            if (p != first)
                uniform = false;
        }
    return uniform;
}

int D3DTestImage::CountStripeErrors(int width, int height, int x, int y) const
{
    int errors = 0;
    for (int j = 0; j < height && y + j < mHeight; ++j)
        for (int i = 0; i < width && x + i < mWidth; ++i) {
            const uint32_t expected = (i & 1) ? 0xFFFFFF : 0;
            if (Distance(mBits[size_t(y + j) * size_t(mWidth) + size_t(x + i)], expected) > kTolerance)
                ++errors;
        }
    return errors;
}

// --- The test --------------------------------------------------------------------------------------

D3DTester::D3DTester(GraphicsHost* host) : mHost(host) {}

D3DTester::~D3DTester()
{
    Release();
}

void D3DTester::Release()
{
    if (mDevice) {
        mDevice->DestroyTexture(mTexture1);
        mDevice->DestroyTexture(mTexture2);
    }
    mTexture1 = nullptr;
    mTexture2 = nullptr;
    mDevice.reset();
}

const char* D3DTester::Verdict(const D3DTester* tester)
{
    if (!tester || !tester->mFailureReason.empty())
        return "Unsupported";
    return tester->mWarning.empty() ? "Recommended" : "Supported";
}

void D3DTester::DXError(DisplayResult result, const std::string& step)
{
    if (DisplayFailed(result))
        throw TestException("DXError - " + step + ": " + GetDirectXErrorName(result));
}

void D3DTester::Run(const D3DCardFacts& facts, bool identityFromFacts)
{
    if (!(mHost && mHost->IsPlayingDemo())) {
        mWriteResults = false;
        if (Setup(facts, identityFromFacts))
            RunRenderTests();
        else if (!mWriteResults) {
            // The test stopped before the cache was looked at: fresh when nothing was stored before.
            std::vector<uint8_t> data;
            uint32_t type = 0;
            mFreshResult = !(mHost && mHost->ReadSetting("Test3D\\FailureReason", type, data));
            mWriteResults = true;
        }
        if (mWriteResults)
            WriteCache();
        Release();
    }
    // The findings are outside values: a recorded demo replays them.
    if (mHost) {
        mFailureReason = mHost->SyncTextWithDemo(mFailureReason);
        mWarning = mHost->SyncTextWithDemo(mWarning);
        mFreshResult = mHost->SyncFlagWithDemo(mFreshResult);
    }
}

bool D3DTester::Setup(const D3DCardFacts& facts, bool identityFromFacts)
{
    try {
        Release();
        mDriverYear = 0;
        D3DCardFacts card = facts;
        if (!identityFromFacts) {
            std::string why;
            mDevice = Device3D::Create(kTargetSize, kTargetSize, why);
            if (!mDevice)
                throw TestException("DXError - DirectDrawCreateEx: " + GetDirectXErrorName(Device3DError::InitFailed));
            const CardInfo3D& info = mDevice->GetCardInfo();
            card.mDescription = info.mVendor + " " + info.mRenderer;
            const size_t hash = std::hash<std::string>()(card.mDescription + "/" + info.mVersion);
            for (size_t i = 0; i < card.mGuid.size(); ++i)
                card.mGuid[i] = uint8_t(hash >> ((i % sizeof(size_t)) * 8)) ^ uint8_t(i * 37);
            if (mDevice->GetVideoMemoryTotal() != 0)
                card.mVideoMemory = mDevice->GetVideoMemoryTotal();
        }
        mDisplayGuid = card.mGuid;

        if (!card.mVideoMemoryError.empty()) {
            mWarning = "GetAvailableVidMem failed: " + card.mVideoMemoryError;
        } else {
            // Summed in 64 bits: cards with 4 GB and more would otherwise wrap to next to nothing.
            const uint64_t mb = (card.mVideoMemory + card.mDesktopBytes) >> 20;
            if (mb < mMinVidMemory) {
                mFailureReason = "Not enough video memory.";
                return false;
            }
            if (mb < mRecVidMemory)
                mWarning = "Low video memory.";
        }

        mFreshResult = true;
        if (ReadCache()) {
            mFreshResult = false;
            return false;
        }
        mWriteResults = true;

        mDriverYear = card.mDriverYear;
        if (!CheckCard(card.mDescription))
            mWarning = "Unsupported video card: " + card.mDescription;

        if (identityFromFacts) {
            std::string why;
            mDevice = Device3D::Create(kTargetSize, kTargetSize, why);
            if (!mDevice)
                DXError(Device3DError::InitFailed, "CreateDevice");
        }
        mReadBack.Resize(kTargetSize, kTargetSize);
        if (mForce16BitTextures)
            mWarning = "A8R8G8B8 texture format not supported.";
        mTextures16 = mForce16BitTextures;
        DXError(mDevice->CreateTexture(kTextureSize, kTextureSize, mTexture1), "CreateSurface (TextureSurface1)");
        DXError(mDevice->CreateTexture(kTextureSize, kTextureSize, mTexture2), "CreateSurface (TextureSurfacd2)");
        return true;
    } catch (const TestException& e) {
        mFailureReason = e.mMessage;
        return false;
    }
}

bool D3DTester::ReadCache()
{
    if (!mHost || !mUseRegistry)
        return false;
    std::vector<uint8_t> data;
    uint32_t type = 0;
    auto dword = [&](const char* name, uint32_t& out) {
        if (!mHost->ReadSetting(std::string("Test3D\\") + name, type, data) || type != SettingsStore::kDWord ||
            data.size() != 4)
            return false;
        out = uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 | uint32_t(data[3]) << 24;
        return true;
    };
    auto text = [&](const char* name, std::string& out) {
        if (!mHost->ReadSetting(std::string("Test3D\\") + name, type, data) || data.size() > kMaxCachedText)
            return false;
        out.assign(data.begin(), data.end());
        const size_t zero = out.find('\0');
        if (zero != std::string::npos)
            out.resize(zero);
        return true;
    };
    uint32_t version = 0, minMem = 0, recMem = 0;
    if (!dword("Version", version) || version != kCacheVersion || !dword("MinVidMemory", minMem) ||
        minMem != mMinVidMemory || !dword("RecVidMemory", recMem) || recMem != mRecVidMemory)
        return false;
    if (!mHost->ReadSetting("Test3D\\DisplayGUID", type, data) || data.size() != mDisplayGuid.size() ||
        !std::equal(data.begin(), data.end(), mDisplayGuid.begin()))
        return false;
    std::string failure, warning;
    if (!text("FailureReason", failure) || !text("Warning", warning))
        return false;
    mFailureReason = failure;
    mWarning = warning;
    return true;
}

void D3DTester::WriteCache()
{
    if (!mHost || !mUseRegistry)
        return;
    mHost->WriteSetting("Test3D\\Version", SettingsStore::kDWord, Dword(kCacheVersion));
    mHost->WriteSetting("Test3D\\MinVidMemory", SettingsStore::kDWord, Dword(mMinVidMemory));
    mHost->WriteSetting("Test3D\\RecVidMemory", SettingsStore::kDWord, Dword(mRecVidMemory));
    mHost->WriteSetting("Test3D\\DisplayGUID", SettingsStore::kBinary,
                        std::vector<uint8_t>(mDisplayGuid.begin(), mDisplayGuid.end()));
    mHost->WriteSetting("Test3D\\FailureReason", SettingsStore::kString, Text(mFailureReason));
    mHost->WriteSetting("Test3D\\Warning", SettingsStore::kString, Text(mWarning));
}

bool D3DTester::ListMatches(const std::string& file, const std::string& description, bool& opened) const
{
    const std::string path = mCardListFolder.empty() ? file : mCardListFolder + "/" + file;
    std::ifstream in(path, std::ios::binary);
    opened = bool(in);
    std::string line;
    while (in && std::getline(in, line)) {
        if (line.size() > kMaxListLine)
            line.resize(kMaxListLine);
        line = TrimWhitespace(line);
        if (!line.empty() && FindIgnoreCase(description, line) >= 0)
            return true;
    }
    return false;
}

bool D3DTester::CheckCard(const std::string& description) const
{
    bool opened = false;
    if (ListMatches("vhwb.dat", description, opened))
        return false;
    const bool accepted = ListMatches("vhw.dat", description, opened);
    if (opened)
        return accepted;
    // A driver whose date cannot be known is taken as a current one.
    if (mDriverYear != 0 && mDriverYear < 2002 && FindIgnoreCase(description, "nvidia") < 0 &&
        FindIgnoreCase(description, "radeon") < 0)
        return FindIgnoreCase(description, "ati ") >= 0;
    return true;
}

// --- Rendering -------------------------------------------------------------------------------------

void D3DTester::DrawTestImage(const D3DTestImage& image, int x0, int y0, uint32_t diffuse)
{
    std::vector<uint32_t> texels(size_t(kTextureSize) * kTextureSize);
    for (int by = 0; by < image.mHeight; by += kTextureSize)
        for (int bx = 0; bx < image.mWidth; bx += kTextureSize) {
            const int w = std::min(kTextureSize, image.mWidth - bx), h = std::min(kTextureSize, image.mHeight - by);
            std::fill(texels.begin(), texels.end(), 0u);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const uint32_t c = image.mBits[size_t(by + y) * size_t(image.mWidth) + size_t(bx + x)];
                    texels[size_t(y) * kTextureSize + size_t(x)] = mTextures16 ? QuantizeTexel(c, TEXKIND_A4R4G4B4) : c;
                }
            DXError(mDevice->UploadTexture(mTexture1, texels.data(), kTextureSize), "Lock Texture");
            const float X = float(bx + x0), Y = float(by + y0);
            const float u = float(w) / kTextureSize, v = float(h) / kTextureSize;
            const Vertex3D quad[4] = {{X - 0.5f, Y - 0.5f, diffuse, 0, 0},
                                      {X - 0.5f, Y + float(h) - 0.5f, diffuse, 0, v},
                                      {X + float(w) - 0.5f, Y - 0.5f, diffuse, u, 0},
                                      {X + float(w) - 0.5f, Y + float(h) - 0.5f, diffuse, u, v}};
            DXError(mDevice->DrawTriangleStrip(mTexture1, quad, 4), "DrawPrimitive");
        }
}

void D3DTester::ReadBack()
{
    DXError(mDevice->ReadTarget(0, 0, kTargetSize, kTargetSize, mReadBack.mBits.data(), kTargetSize),
            "CopyPrimary Lock");
    for (uint32_t& p : mReadBack.mBits)
        p |= 0xFF000000;
}

void D3DTester::RunRenderTests()
{
    D3DTestImage image;
    image.Resize(kTextureSize, kTextureSize);
    for (const RenderTest& t : kRenderTests) {
        try {
            DXError(mDevice->Clear(0xFF000000), "Clear");
            mDevice->SetBlend(t.mSource, t.mDest);
            mDevice->SetLinearFilter(false);
            if (t.mStripes) {
                image.FillStripes();
                DrawTestImage(image, -2, -2, t.mFirstDiffuse);
            } else {
                std::fill(image.mBits.begin(), image.mBits.end(), t.mFirst);
                DrawTestImage(image, 0, 0, t.mFirstDiffuse);
                std::fill(image.mBits.begin(), image.mBits.end(), t.mSecond);
                DrawTestImage(image, 0, 0, t.mSecondDiffuse);
            }
            ReadBack();
        } catch (const TestException& e) {
            mFailureReason = e.mMessage;
            return;
        }
        if (t.mStripes) {
            if (mReadBack.CountStripeErrors(kTextureSize - 2, kTextureSize - 2, 0, 0) > 0)
                mWarning = t.mWarning;
            continue;
        }
        int off = 0;
        const bool uniform = mReadBack.Compare(t.mExpected, off, kBlock, kBlock);
        if (off > 0) {
            mFailureReason = t.mFailure;
            return;
        }
        if (!uniform)
            mWarning = t.mWarning;
    }
}

} // namespace Olvarn
