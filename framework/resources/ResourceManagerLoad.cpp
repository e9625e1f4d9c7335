// Loading declared resources by group (at once or one at a time), counting, releasing and the
// lookups by id.
#include <algorithm>

#include "core/Common.h"
#include "core/CriticalSection.h"
#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "resources/FontData.h"
#include "resources/ImageFont.h"
#include "resources/ImageLib.h"
#include "resources/ResourceHost.h"
#include "resources/ResourceManager.h"
#include "sound/DSoundManager.h"

namespace Olvarn
{

namespace
{

void SetAlphaFrom(uint32_t& pixel, uint32_t alphaPixel)
{
    pixel = (pixel & 0x00FFFFFFu) | ((alphaPixel & 0xFFu) << 24);
}

std::vector<std::string> SplitTags(const std::string& text)
{
    std::vector<std::string> tags;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of(", \t\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            tags.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return tags;
}

} // namespace

// ---- Group loads ----------------------------------------------------------------------------

void ResourceManager::ResetCursor(LoadCursor& cursor, const std::string& group)
{
    cursor.mGroup = group;
    cursor.mImage = mImageMap.begin();
    cursor.mSound = mSoundMap.begin();
    cursor.mFont = mFontMap.begin();
}

void ResourceManager::BeginGroupLoad(const std::string& group)
{
    mCurResGroup = group;
    ResetCursor(mCursor, group);
}

bool ResourceManager::LoadGroup(const std::string& group)
{
    {
        std::lock_guard<std::mutex> lock(mErrorLock);
        mError.clear();
        mHasFailed = false;
    }
    LoadCursor cursor;
    ResetCursor(cursor, group);
    while (LoadNextPending(cursor)) {
    }
    return !HasFailed();
}

bool ResourceManager::LoadNextPending()
{
    return LoadNextPending(mCursor);
}

bool ResourceManager::Pending(const BaseRes& res, const std::string& group) const
{
    return !res.mFromProgram && (group.empty() || res.mResGroup == group);
}

bool ResourceManager::LoadNextPending(LoadCursor& cursor)
{
    if (HasFailed())
        return false;
    std::lock_guard<std::mutex> lock(mLoadLock);
    for (; cursor.mImage != mImageMap.end(); ++cursor.mImage) {
        ImageRes* res = cursor.mImage->second.get();
        if (Pending(*res, cursor.mGroup) && !res->mImage)
            return LoadImageResource(res);
    }
    for (; cursor.mSound != mSoundMap.end(); ++cursor.mSound) {
        SoundRes* res = cursor.mSound->second.get();
        if (Pending(*res, cursor.mGroup) && res->mSoundId < 0)
            return LoadSoundResource(res);
    }
    for (; cursor.mFont != mFontMap.end(); ++cursor.mFont) {
        FontRes* res = cursor.mFont->second.get();
        if (Pending(*res, cursor.mGroup) && !res->mFont)
            return LoadFontResource(res);
    }
    return false;
}

int ResourceManager::CountGroupResources(const std::string& group)
{
    if (group.empty())
        return static_cast<int>(mImageMap.size() + mSoundMap.size() + mFontMap.size());
    int count = 0;
    auto countIn = [&](const auto& map) {
        for (const auto& entry : map)
            if (entry.second->mResGroup == group && !entry.second->mFromProgram)
                ++count;
    };
    countIn(mImageMap);
    countIn(mSoundMap);
    countIn(mFontMap);
    return count;
}

void ResourceManager::UnloadGroup(const std::string& group)
{
    std::lock_guard<std::mutex> lock(mLoadLock);
    auto releaseIn = [&](auto& map) {
        for (auto& entry : map)
            if (group.empty() || entry.second->mResGroup == group)
                entry.second->ReleaseData();
    };
    releaseIn(mImageMap);
    releaseIn(mSoundMap);
    releaseIn(mFontMap);
}

// ---- Images ---------------------------------------------------------------------------------

bool ResourceManager::ApplyAlphaImage(ImageRes& res, uint32_t* bits, int width, int height)
{
    std::unique_ptr<ImageLib::Image> alpha = ImageLib::LoadImageFile(res.mAlphaImage, true);
    if (!alpha)
        return RecordError("Failed to load image: " + res.mAlphaImage);
    if (alpha->GetWidth() != width || alpha->GetHeight() != height)
        return RecordError("AlphaImage size mismatch between " + res.mPath + " and " + res.mAlphaImage);
    const uint32_t* alphaBits = alpha->GetBits();
    const std::size_t count = std::size_t(width) * std::size_t(height);
    for (std::size_t i = 0; i < count; ++i)
        SetAlphaFrom(bits[i], alphaBits[i]);
    return true;
}

bool ResourceManager::ApplyAlphaGrid(ImageRes& res, uint32_t* bits, int width, int height)
{
    std::unique_ptr<ImageLib::Image> grid = ImageLib::LoadImageFile(res.mAlphaGridImage, true);
    if (!grid)
        return RecordError("Failed to load image: " + res.mAlphaGridImage);
    const int cellWidth = width / res.mCols;
    const int cellHeight = height / res.mRows;
    if (grid->GetWidth() != cellWidth || grid->GetHeight() != cellHeight)
        return RecordError("GridAlphaImage size mismatch between " + res.mPath + " and " + res.mAlphaGridImage);
    const uint32_t* gridBits = grid->GetBits();
    for (int row = 0; row < res.mRows; ++row)
        for (int col = 0; col < res.mCols; ++col)
            for (int y = 0; y < cellHeight; ++y) {
                uint32_t* line = bits + std::size_t(row * cellHeight + y) * std::size_t(width) + col * cellWidth;
                const uint32_t* gridLine = gridBits + std::size_t(y) * std::size_t(cellWidth);
                for (int x = 0; x < cellWidth; ++x)
                    SetAlphaFrom(line[x], gridLine[x]);
            }
    return true;
}

void ResourceManager::ApplyImageOptions(ImageRes& res, DDImage& image)
{
    if (res.mDDSurface) {
        image.CommitBits();
        if (!image.mHasAlpha) {
            image.mWantSurface = true;
            image.mPurgeBits = true;
        }
    }
    if (res.mPalletize) {
        if (image.HasSurface())
            image.mWantPal = true;
        else
            image.Palettize();
    }
    if (res.mA4R4G4B4)
        image.mTextureFlags |= MemoryImage::TEXFLAG_A4R4G4B4;
    if (res.mA8R8G8B8)
        image.mTextureFlags |= MemoryImage::TEXFLAG_A8R8G8B8;
    if (res.mMinimizeSubdivisions)
        image.mTextureFlags |= MemoryImage::TEXFLAG_MINSUBDIVIDE;
    if (res.mAnimInfo.mType != ImageAnimation::TYPE_NONE) {
        delete image.mAnimation;
        image.mAnimation = new ImageAnimation(res.mAnimInfo);
    }
    image.mNumRows = res.mRows;
    image.mNumCols = res.mCols;
    if (image.mPurgeBits)
        image.PurgeBits();
}

bool ResourceManager::LoadImageResource(ImageRes* res)
{
    const bool lookForAlpha = res->mAlphaImage.empty() && res->mAlphaGridImage.empty() && res->mAutoFindAlpha;
    std::unique_ptr<ImageLib::Image> decoded = ImageLib::LoadImageFile(res->mPath, lookForAlpha);
    // Display images belong to the display device: without one nothing can be loaded.
    if (!decoded || !mApp || !mApp->GetDisplayDevice())
        return RecordError("Failed to load image: " + res->mPath);
    uint32_t* bits = decoded->GetBits();
    const int width = decoded->GetWidth();
    const int height = decoded->GetHeight();
    if (!res->mAlphaImage.empty() && !ApplyAlphaImage(*res, bits, width, height))
        return false;
    if (!res->mAlphaGridImage.empty() && !ApplyAlphaGrid(*res, bits, width, height))
        return false;

    // The new image joins the application's image set as it is made, and a display restart on the
    // main thread walks that set: it must not find the image before its pixels are in.
    CriticalSectionLock imageSetLock(mApp->GetDisplayDevice()->mCritSect);
    auto* image = new DDImage(mApp->GetDisplayDevice());
    image->SetBits(bits, width, height);
    image->mPurgeBits = res->mPurgeBits;
    // Stored once its options are applied, so a lookup never sees a half-prepared image.
    ApplyImageOptions(*res, *image);
    res->mImage = image;
    return true;
}

// ---- Sounds ---------------------------------------------------------------------------------

bool ResourceManager::LoadSoundResource(SoundRes* res)
{
    SoundManager* sounds = mApp ? mApp->GetSoundManager() : nullptr;
    const int id = res->mAssignedId >= 0 ? res->mAssignedId : mNextSoundId.load();
    if (!sounds || !sounds->LoadSoundAtId(id, res->mPath))
        return RecordError("Failed to load sound: " + res->mPath);
    if (res->mVolume >= 0)
        sounds->SetSoundVolume(id, res->mVolume);
    if (res->mPanning != 0)
        sounds->SetSoundPan(id, res->mPanning);
    res->mSoundId = id;
    res->mSoundManager = sounds;
    if (res->mAssignedId < 0) {
        res->mAssignedId = id;
        ++mNextSoundId;
    }
    return true;
}

// ---- Fonts ----------------------------------------------------------------------------------

bool ResourceManager::LoadFontResource(FontRes* res)
{
    std::unique_ptr<Font> font;
    std::shared_ptr<MemoryImage> image;
    static const std::string kRefPrefix = "!ref:";
    if (!res->mImagePath.empty()) {
        image.reset(mApp ? mApp->LoadImageFile(res->mImagePath) : nullptr);
        if (!image)
            return RecordError("Failed to load image: " + res->mImagePath);
        font = std::make_unique<ImageFont>(image, res->mPath);
    } else if (res->mPath.compare(0, kRefPrefix.size(), kRefPrefix) == 0) {
        const std::string refId = res->mPath.substr(kRefPrefix.size());
        auto ref = mFontMap.find(refId);
        if (ref == mFontMap.end() || !ref->second->mFont)
            return RecordError("Ref font not found: " + refId);
        font.reset(ref->second->mFont->Clone());
    } else {
        font = std::make_unique<ImageFont>(mApp, res->mPath);
    }

    auto* imageFont = dynamic_cast<ImageFont*>(font.get());
    if (imageFont && (!imageFont->mFontData || !imageFont->mFontData->mLoaded))
        return RecordError("Failed to load font: " + res->mPath);
    if (imageFont)
        for (const std::string& tag : SplitTags(res->mTags))
            imageFont->AddTag(tag);
    res->mImage = std::move(image);
    res->mFont = font.release();
    return true;
}

// ---- Lookups --------------------------------------------------------------------------------

DDImage* ResourceManager::FindImage(const std::string& id)
{
    auto it = mImageMap.find(id);
    return it == mImageMap.end() ? nullptr : it->second->mImage;
}

int ResourceManager::FindSoundId(const std::string& id)
{
    auto it = mSoundMap.find(id);
    return it == mSoundMap.end() ? -1 : it->second->mSoundId;
}

Font* ResourceManager::FindFont(const std::string& id)
{
    auto it = mFontMap.find(id);
    return it == mFontMap.end() ? nullptr : it->second->mFont;
}

DDImage* ResourceManager::RequireImage(const std::string& id)
{
    if (DDImage* image = FindImage(id))
        return image;
    RecordError("Image resource not found: " + id);
    throw ResourceManagerException(ErrorMessage());
}

int ResourceManager::RequireSoundId(const std::string& id)
{
    const int soundId = FindSoundId(id);
    if (soundId >= 0)
        return soundId;
    RecordError("Sound resource not found: " + id);
    throw ResourceManagerException(ErrorMessage());
}

Font* ResourceManager::RequireFont(const std::string& id)
{
    if (Font* font = FindFont(id))
        return font;
    RecordError("Font resource not found: " + id);
    throw ResourceManagerException(ErrorMessage());
}

} // namespace Olvarn
