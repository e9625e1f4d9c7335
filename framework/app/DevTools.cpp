// The developer tools: the keys that Ctrl+Alt+D switches on, the frame-rate, mouse and demo-time
// overlays, screenshots, the dump of every image in memory and the video-memory report.
#include "app/DevTools.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "app/OlvarnAppBase.h"
#include "core/ModVal.h"
#include "core/PathUtils.h"
#include "core/StringUtils.h"
#include "graphics/D3DInterface.h"
#include "graphics/D3DTester.h"
#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/Clock.h"
#include "platform/Directories.h"
#include "platform/Display.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "resources/ImageLib.h"
#include "resources/SysFont.h"
#include "widgets/WidgetManager.h"

namespace Olvarn
{

namespace
{

constexpr int kKeyR = 0x52;
constexpr int kKeyF2 = 0x71;
constexpr int kKeyF3 = 0x72;
constexpr int kKeyF8 = 0x77;
constexpr int kKeyF10 = 0x79;
constexpr int kKeyF11 = 0x7A;

constexpr int kOverlayWidth = 50;
constexpr int kTextLeft = 2;
constexpr int kOverlayMargin = 10;
constexpr int kDemoOverlayGap = 15;
constexpr int kThumbnailSize = 64;
constexpr const char* kEol = "\r\n";

std::string UserDataFolder()
{
    return Paths::ProductDataFolder();
}

std::string LocalTimeText()
{
    std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    return local ? std::asctime(local) : "\n";
}

// Sizes go into the page with separators; the counter takes int, which every image fits.
std::string Bytes(int64_t value)
{
    return CommaSeparate(static_cast<int>(std::min<int64_t>(value, 0x7FFFFFFF)));
}

std::string SizeCell(const char* label, int64_t bytes)
{
    if (bytes == 0)
        return "<TD>&nbsp;</TD>";
    return std::string("<TD>") + label + "<BR>" + Bytes(bytes) + "</TD>";
}

std::string FlagCell(const char* label, bool set)
{
    return set ? std::string("<TD>") + label + "</TD>" : std::string("<TD>&nbsp;</TD>");
}

// A file that cannot be written is logged and skipped: a full or read-only disk must not stop the
// program over a developer's picture.
bool WriteImage(const std::string& path, const uint32_t* bits, int width, int height, bool jpeg)
{
    ImageLib::Image image;
    if (!bits || !image.Create(width, height)) {
        LogWrite(LogLevel::Warning, "Could not make the picture for %s", path.c_str());
        return false;
    }
    std::copy(bits, bits + size_t(width) * size_t(height), image.GetBits());
    const bool written = jpeg ? ImageLib::SaveJpeg(path, image) : ImageLib::SavePng(path, image);
    if (!written) {
        LogWrite(LogLevel::Warning, "Could not write %s", path.c_str());
        // A cut-off file would pass for a picture (and take a screenshot number).
        RemoveFile(path);
    }
    return written;
}

} // namespace

// ---- Figures -------------------------------------------------------------------------------------

ImageMemoryUse ImageMemoryUse::Of(MemoryImage* image)
{
    ImageMemoryUse use;
    const int64_t p = image->PixelCount();
    use.mBits = image->mBits ? 4 * p : 0;
    use.mPalette = image->IsPalettized() ? p + 1024 : 0;
    auto* display = dynamic_cast<DDImage*>(image);
    use.mSurface = display && display->HasSurface() ? 4 * p : 0;
    if (const ImageTextureSet* textures = image->mTextureSet) {
        use.mTexture = static_cast<int64_t>(textures->mTextureMemory);
        use.mTextureFormat = textures->mKind;
    }
    use.mNativeAlpha = image->mNativeAlphaData ? (image->IsPalettized() ? 1024 : 4 * p) : 0;
    use.mRLAlpha = image->mRLAlphaData ? p : 0;
    use.mRLAdditive = image->mRLAdditiveData ? p : 0;
    return use;
}

std::vector<uint32_t> MakeThumbnail(const uint32_t* bits, int width, int height)
{
    std::vector<uint32_t> thumb(size_t(kThumbnailSize) * kThumbnailSize, 0);
    if (!bits || width <= 0 || height <= 0)
        return thumb;
    for (int y = 0; y < kThumbnailSize; ++y) {
        const int sy = static_cast<int>((y + 0.5) * height) / kThumbnailSize;
        for (int x = 0; x < kThumbnailSize; ++x) {
            const int sx = static_cast<int>((x + 0.5) * width) / kThumbnailSize;
            thumb[size_t(y) * kThumbnailSize + size_t(x)] = bits[size_t(sy) * size_t(width) + size_t(sx)];
        }
    }
    return thumb;
}

int NextScreenshotNumber(const std::string& folder)
{
    std::vector<DirectoryEntry> entries;
    int highest = 0;
    if (ListDirectory(folder, entries)) {
        for (const DirectoryEntry& entry : entries) {
            const std::string& name = entry.mName;
            if (entry.mIsDirectory || name.size() < 4 || name.compare(name.size() - 4, 4, ".png") != 0)
                continue;
            int number = 0;
            if (std::sscanf(name.c_str(), "image%d.png", &number) == 1)
                highest = std::max(highest, number);
        }
    }
    return highest + 1;
}

// ---- Overlays ------------------------------------------------------------------------------------

DevTools::DevTools() = default;

DevTools::~DevTools()
{
    delete mOverlayImage;
    delete mDemoOverlayImage;
}

void DevTools::StartFrameCounting()
{
    mFrameTimer.Start();
    mFrameCount = 0;
    mFramesPerSecond = 0;
    mFirstMeasurement = true;
}

SysFont* DevTools::OverlayFont(ResourceHost* host, int fontIndex)
{
    if (!mFonts[fontIndex])
        mFonts[fontIndex] = std::make_unique<SysFont>(host, "Tahoma", 8);
    return mFonts[fontIndex].get();
}

DDImage* DevTools::MakeOverlayImage(DDInterface* device, SysFont* font, int width)
{
    auto* image = new DDImage(device);
    image->Create(width, font->Height() + 4);
    image->SetAlphaFlags(false, false);
    image->SetVolatile(true);
    image->mPurgeBits = false;
    image->mWantSurface = true;
    image->PurgeBits();
    return image;
}

void DevTools::Show(DDImage*& image, DDInterface* device, SysFont* font, const std::string& text)
{
    // The font that stands in for Tahoma may be wider than the image was once made for: the image
    // grows to the text (never shrinks, so the overlay does not jump as digits change).
    const int width = std::max(kOverlayWidth, kTextLeft + font->TextWidth(text) + kTextLeft);
    if (!image || image->GetWidth() < width) {
        delete image;
        image = MakeOverlayImage(device, font, width);
    }
    Redraw(image, font, text);
}

void DevTools::Redraw(DDImage* image, SysFont* font, const std::string& text)
{
    Graphics g(image);
    g.SetFont(font);
    g.SetColor(Color(0, 0, 0));
    g.FillRect(0, 0, image->GetWidth(), image->GetHeight());
    g.SetColor(Color(255, 255, 255));
    g.DrawString(text, kTextLeft, font->Ascent());
    ++image->mBitsChangedCount;
}

void DevTools::UpdateFpsOverlay(DDInterface* device, ResourceHost* host)
{
    ++mFrameCount;
    if (mFrameTimer.GetDuration() < 1000 && !mFirstMeasurement)
        return;
    mFrameTimer.Stop();
    if (mFirstMeasurement) {
        mFirstMeasurement = false;
        mFramesPerSecond = 0;
    } else {
        mFramesPerSecond = static_cast<int>(mFrameCount * 1000 / mFrameTimer.GetDuration() + 0.5);
    }
    mFrameTimer.Start();
    mFrameCount = 0;
    mOverlayText = FormatString("FPS: %d", mFramesPerSecond);
    if (!device)
        return;
    Show(mOverlayImage, device, OverlayFont(host, 0), mOverlayText);
}

void DevTools::UpdateMouseOverlay(DDInterface* device, ResourceHost* host, int x, int y)
{
    mOverlayText = FormatString("%d,%d", x, y);
    if (!device)
        return;
    Show(mOverlayImage, device, OverlayFont(host, 1), mOverlayText);
}

void DevTools::UpdateDemoTimeOverlay(DDInterface* device, ResourceHost* host, int updatesLeft, int updateStepMs,
                                     double multiplier, int tickNow)
{
    const double interval = multiplier > 0 ? 1000.0 / multiplier : 1000.0;
    if (mDemoOverlayDrawn && tickNow - mLastDemoOverlayTick < interval)
        return;
    mDemoOverlayDrawn = true;
    mLastDemoOverlayTick = tickNow;
    const int64_t msLeft = int64_t(std::max(updatesLeft, 0)) * updateStepMs;
    const int64_t seconds = msLeft / 1000;
    mDemoOverlayText = FormatString("%02d:%02d:%02d", static_cast<int>(seconds / 3600),
                                    static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    if (!device)
        return;
    Show(mDemoOverlayImage, device, OverlayFont(host, 2), mDemoOverlayText);
}

// ---- The application's part ----------------------------------------------------------------------

void OlvarnAppBase::UpdateDeveloperOverlays()
{
    if (!mOverlaysOn)
        return;
    if (!mDevTools)
        mDevTools = std::make_unique<DevTools>();
    if (mOverlayMode == 0)
        mDevTools->UpdateFpsOverlay(mDDInterface, this);
    else if (mWidgetManager)
        mDevTools->UpdateMouseOverlay(mDDInterface, this, mWidgetManager->mLastMouseX, mWidgetManager->mLastMouseY);
    if (mPlayingDemo)
        mDevTools->UpdateDemoTimeOverlay(mDDInterface, this, mDemo.mTotalUpdates - mUpdateCount, mFrameTime,
                                         mUpdateMultiplier, static_cast<int>(mClock->TickCount()));
}

void OlvarnAppBase::DrawDeveloperOverlays()
{
    if (!mOverlaysOn || !mDevTools || !mDDInterface)
        return;
    DDImage* screen = mDDInterface->GetScreenImage();
    DDImage* first = mDevTools->OverlayImage();
    if (!screen || !first)
        return;
    Graphics g(screen);
    const int width = screen->GetWidth(), height = screen->GetHeight();
    g.DrawImage(first, width - first->GetWidth() - kOverlayMargin, height - first->GetHeight() - kOverlayMargin);
    DDImage* demo = mDevTools->DemoOverlayImage();
    if (mPlayingDemo && demo)
        g.DrawImage(demo, width - demo->GetWidth() - kOverlayMargin,
                    height - first->GetHeight() - demo->GetHeight() - kDemoOverlayGap);
}

bool OlvarnAppBase::HandleDeveloperKey(int key)
{
    const bool shift = mWidgetManager && mWidgetManager->IsKeyDown(WidgetManager::kKeyShift);
    const bool ctrl = mWidgetManager && mWidgetManager->IsKeyDown(WidgetManager::kKeyControl);
    const bool alt = mWidgetManager && mWidgetManager->IsKeyDown(WidgetManager::kKeyAlt);
    switch (key) {
    case kKeyR:
        if (alt) {
            // The re-read reports through the application's boxes, which know about full screen.
            ModVal::SetMessageHandler([this](const std::string& text, const std::string& title, int flags) {
                ShowMessageBox(text, title, flags);
            });
            const bool reread = ModVal::ReparseChangedFiles();
            ModVal::SetMessageHandler(nullptr);
            // A box swallowed the key releases: no key may stay down in the table.
            if (!reread && mWidgetManager)
                mWidgetManager->ClearKeyTable();
        }
        return false;
    case kKeyF2:
        if (Profiler::IsRunning()) {
            Profiler::End();
            ShowMessageBox(Profiler::ResultsText(), "Perf Results", MB_OK);
            mPacer.ForgetTime(NowMs());
        } else {
            mPacer.ForgetTime(NowMs());
            Profiler::Begin();
        }
        return false;
    case kKeyF3:
        if (shift) {
            mOverlaysOn = true;
            mOverlayMode = mOverlayMode + 1 >= 2 ? 0 : mOverlayMode + 1;
        } else {
            mOverlaysOn = !mOverlaysOn;
        }
        if (mWidgetManager)
            mWidgetManager->InvalidateTree();
        if (mOverlaysOn) {
            if (!mDevTools)
                mDevTools = std::make_unique<DevTools>();
            mDevTools->StartFrameCounting();
        }
        return false;
    case kKeyF8:
        if (shift) {
            Set3DEnabled(!Is3DEnabled(), true);
            ShowMessageBox(FormatString("3D-Mode: %s", Is3DEnabled() ? "ON" : "OFF"), "Mode Switch", MB_OK);
        } else {
            ShowVideoStats();
        }
        return true;
    case kKeyF10:
        if (ctrl) {
            mUpdateMultiplier = mUpdateMultiplier == 0.25 ? 1.0 : 0.25;
        } else if (shift) {
            mStepMode = 0;
            mPacer.ForgetTime(NowMs());
        } else {
            mStepMode = 1;
        }
        return true;
    case kKeyF11:
        if (shift)
            DumpImages();
        else
            TakeScreenshot();
        return true;
    default:
        return false;
    }
}

std::string OlvarnAppBase::TakeScreenshot()
{
    if (!mDDInterface || !mDDInterface->mDrawSurface)
        return std::string();
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    // The frame as it was shown; a display that cannot read back gives the picture it was made from.
    Display* display = mDDInterface->GetDisplay();
    if (!display || !display->ReadPresentedFrame(pixels, width, height)) {
        DDImage* screen = mDDInterface->GetScreenImage();
        if (!screen)
            return std::string();
        CriticalSectionLock lock(mDDInterface->mCritSect);
        // A copy reads the surface and leaves the screen image in the form it was in.
        MemoryImage copy(*screen);
        const uint32_t* bits = copy.GetBits();
        if (!bits)
            return std::string();
        width = copy.GetWidth();
        height = copy.GetHeight();
        pixels.assign(bits, bits + size_t(width) * size_t(height));
    }
    const std::string folder = UserDataFolder() + "/_screenshots";
    MakeDirectories(folder);
    const std::string path = folder + "/" + FormatString("image%d.png", NextScreenshotNumber(folder));
    for (uint32_t& pixel : pixels)
        pixel |= 0xFF000000;
    const bool written = WriteImage(path, pixels.data(), width, height, false);
    mPacer.ForgetTime(NowMs());
    if (!written)
        return std::string();
    LogWrite(LogLevel::Info, "Screenshot %s", path.c_str());
    return path;
}

bool OlvarnAppBase::DumpImages()
{
    const std::string folder = UserDataFolder() + "/_dump";
    std::vector<DirectoryEntry> previous;
    if (ListDirectory(folder, previous) && !DeleteDirectoryTree(folder))
        LogWrite(LogLevel::Warning, "Could not empty %s", folder.c_str());
    MakeDirectories(folder);
    std::FILE* html = std::fopen((folder + "/imagelist.html").c_str(), "wb");
    if (!html) {
        LogWrite(LogLevel::Warning, "Could not write the image dump into %s", folder.c_str());
        return false;
    }
    std::string page = "<HTML><BODY BGCOLOR=EEEEFF><CENTER><FONT SIZE=+2><B>";
    page += LocalTimeText();
    page += "</B></FONT><BR>";
    page += kEol;

    struct Entry {
        MemoryImage* mImage;
        ImageMemoryUse mUse;
    };
    std::vector<Entry> entries;
    ImageMemoryUse sums;
    int64_t grandTotal = 0;
    {
        CriticalSectionLock lock(ImageSetLock());
        for (MemoryImage* image : mMemoryImageSet) {
            Entry entry{image, ImageMemoryUse::Of(image)};
            grandTotal += entry.mUse.Total();
            sums.mBits += entry.mUse.mBits;
            sums.mPalette += entry.mUse.mPalette;
            sums.mSurface += entry.mUse.mSurface;
            sums.mTexture += entry.mUse.mTexture;
            sums.mNativeAlpha += entry.mUse.mNativeAlpha;
            sums.mRLAlpha += entry.mUse.mRLAlpha;
            sums.mRLAdditive += entry.mUse.mRLAdditive;
            entries.push_back(entry);
        }
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.mUse.Total() > b.mUse.Total(); });

    page += "Total Image Allocation: " + Bytes(grandTotal) + " bytes<BR>";
    page += "<TABLE BORDER=1 CELLSPACING=0 CELLPADDING=4>";
    bool allWritten = true;
    for (size_t k = 0; k < entries.size(); ++k) {
        MemoryImage* image = entries[k].mImage;
        const ImageMemoryUse& use = entries[k].mUse;
        const int width = image->GetWidth(), height = image->GetHeight();
        const std::vector<std::string> items = {
            "<TR>",
            FormatString("<TD><A HREF=img%04d.png><IMG SRC=thumb%04d.jpg WIDTH=64 HEIGHT=64></A></TD>", int(k), int(k)),
            FormatString("<TD ALIGN=RIGHT>%d x %d<BR>%s bytes</TD>", width, height, Bytes(use.Total()).c_str()),
            SizeCell("mBits", use.mBits),
            SizeCell("Palletized", use.mPalette),
            SizeCell("DDSurface", use.mSurface),
            use.mTexture == 0 ? std::string("<TD>&nbsp;</TD>")
                              : FormatString("<TD>Texture<BR>%s<BR>%s</TD>", TextureKindName(use.mTextureFormat),
                                             Bytes(use.mTexture).c_str()),
            FlagCell("Volatile", image->mVolatile),
            FlagCell("Forced", image->mForced),
            FlagCell("HasAlpha", image->mHasAlpha),
            FlagCell("HasTrans", image->mHasTrans),
            SizeCell("NativeAlpha", use.mNativeAlpha),
            SizeCell("RLAlpha", use.mRLAlpha),
            SizeCell("RLAdditive", use.mRLAdditive),
            "</TR>",
        };
        for (const std::string& item : items)
            page += item + kEol;

        // The copy reads the pixels without changing the registered image's storage.
        if (width <= 0 || height <= 0)
            continue;
        std::unique_ptr<MemoryImage> copy;
        {
            CriticalSectionLock lock(ImageSetLock());
            copy = std::make_unique<MemoryImage>(*image);
        }
        const uint32_t* bits = copy->GetBits();
        const std::vector<uint32_t> thumb = MakeThumbnail(bits, width, height);
        allWritten &= WriteImage(folder + "/" + FormatString("thumb%04d.jpg", int(k)), thumb.data(), kThumbnailSize,
                                 kThumbnailSize, true);
        allWritten &= WriteImage(folder + "/" + FormatString("img%04d.png", int(k)), bits, width, height, false);
    }
    const std::vector<std::string> totals = {
        "<TD>Totals</TD>",
        "<TD>" + Bytes(grandTotal) + "</TD>",
        "<TD>" + Bytes(sums.mBits) + "</TD>",
        "<TD>" + Bytes(sums.mPalette) + "</TD>",
        "<TD>" + Bytes(sums.mSurface) + "</TD>",
        "<TD>" + Bytes(sums.mTexture) + "</TD>",
        "<TD>&nbsp;</TD>",
        "<TD>&nbsp;</TD>",
        "<TD>&nbsp;</TD>",
        "<TD>&nbsp;</TD>",
        "<TD>" + Bytes(sums.mNativeAlpha) + "</TD>",
        "<TD>" + Bytes(sums.mRLAlpha) + "</TD>",
        "<TD>" + Bytes(sums.mRLAdditive) + "</TD>",
    };
    for (const std::string& item : totals)
        page += item + kEol;
    page += "</TABLE></CENTER></BODY></HTML>";
    page += kEol;

    bool pageWritten = std::fwrite(page.data(), 1, page.size(), html) == page.size();
    pageWritten = std::fclose(html) == 0 && pageWritten;
    if (!pageWritten)
        LogWrite(LogLevel::Warning, "Could not write %s/imagelist.html", folder.c_str());
    return pageWritten && allWritten;
}

void OlvarnAppBase::ShowVideoStats()
{
    uint64_t total = 0, free = 0;
    if (mDDInterface && mDDInterface->GetDisplay())
        mDDInterface->GetDisplay()->GetVideoMemory(total, free);

    // Per texture format (1, 2, 4, 8): images and bytes.
    int64_t textureBytes = 0;
    int counts[9] = {};
    int64_t bytes[9] = {};
    {
        CriticalSectionLock lock(ImageSetLock());
        for (MemoryImage* image : mMemoryImageSet) {
            const ImageMemoryUse use = ImageMemoryUse::Of(image);
            if (use.mTexture == 0)
                continue;
            textureBytes += use.mTexture;
            if (use.mTextureFormat > 0 && use.mTextureFormat <= 8) {
                ++counts[use.mTextureFormat];
                bytes[use.mTextureFormat] += use.mTexture;
            }
        }
    }
    // The hardware acceptance test's verdict; without a test there is no hardware path to offer.
    const D3DTester* tester = mDDInterface ? mDDInterface->Get3DTester() : nullptr;
    const char* verdict = !tester || !tester->mFailureReason.empty() ? "Unsupported"
                          : !tester->mWarning.empty()                ? "Supported"
                                                                     : "Recommended";
    const bool on = Is3DEnabled();
    std::string text = FormatString("3D-Mode is %s (3D is %s on this system)", on ? "ON" : "OFF", verdict);
    text += kEol;
    text += kEol;
    text += "Video Memory: " + Bytes(int64_t((total - free) / 1024)) + "/" + Bytes(int64_t(total / 1024)) + " KB";
    text += kEol;
    text += kEol;
    text += "Texture Memory: " + Bytes(textureBytes / 1024) + " KB";
    text += kEol;
    for (int format : {1, 2, 4, 8}) {
        text += FormatString("%s: %d - %s KB", TextureKindName(format), counts[format],
                             Bytes(bytes[format] / 1024).c_str());
        text += kEol;
    }
    ShowMessageBox(text, "Video Stats", MB_OK);
}

} // namespace Olvarn
