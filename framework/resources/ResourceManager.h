// The resource manager: images, image fonts and sound effects declared by id in the resource
// manifest, loaded by group (at once or one at a time) and handed out by id.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

#include "graphics/ImageAnimation.h"

namespace Olvarn
{

class DDImage;
class Font;
class MemoryImage;
class ResourceHost;
class SoundManager;
class XMLElement;
class XMLParser;

// Thrown by the Require* lookups; carries the manager's error text.
struct ResourceManagerException : std::exception {
    explicit ResourceManagerException(std::string message) : mMessage(std::move(message)) {}
    const char* what() const noexcept override { return mMessage.c_str(); }

    std::string mMessage;
};

class ResourceManager
{
public:
    struct BaseRes {
        virtual ~BaseRes() = default;
        // Frees what a load produced; the record stays declared.
        virtual void ReleaseData() {}

        std::string mResGroup;
        std::string mPath;
        // "!program": declared for the program to fill, never loaded here.
        bool mFromProgram = false;
    };

    // Deleting a record frees nothing: the application unloads its groups first, and the display
    // device a loaded image belongs to is gone by the time the manager is deleted.
    struct ImageRes : BaseRes {
        void ReleaseData() override;

        DDImage* mImage = nullptr;
        std::string mAlphaImage;
        std::string mAlphaGridImage;
        bool mAutoFindAlpha = true;
        bool mPalletize = true;
        bool mA4R4G4B4 = false;
        bool mA8R8G8B8 = false;
        bool mDDSurface = false;
        bool mPurgeBits = false;
        bool mMinimizeSubdivisions = false;
        int mRows = 1;
        int mCols = 1;
        ImageAnimation mAnimInfo;
    };

    struct SoundRes : BaseRes {
        void ReleaseData() override;

        int mSoundId = -1;
        double mVolume = -1.0;
        int mPanning = 0;
        // The id this record loads into every time: taken from the counter at the first load and
        // kept, so reloading a group never uses up ids.
        int mAssignedId = -1;
        // Where the sound was loaded, so a release frees it there.
        SoundManager* mSoundManager = nullptr;
    };

    struct FontRes : BaseRes {
        void ReleaseData() override;

        Font* mFont = nullptr;
        // Shared with the font data of the font and of its clones, which may outlive the release.
        std::shared_ptr<MemoryImage> mImage;
        std::string mImagePath;
        std::string mTags;
    };

    using ImageMap = std::map<std::string, std::unique_ptr<ImageRes>>;
    using SoundMap = std::map<std::string, std::unique_ptr<SoundRes>>;
    using FontMap = std::map<std::string, std::unique_ptr<FontRes>>;

    explicit ResourceManager(ResourceHost* app);
    ResourceManager(const ResourceManager&) = delete;
    ResourceManager& operator=(const ResourceManager&) = delete;

    virtual bool LoadImageResource(ImageRes* res);
    virtual bool LoadFontResource(FontRes* res);
    virtual ~ResourceManager();
    virtual void BeginGroupLoad(const std::string& group);
    virtual bool LoadGroup(const std::string& group);
    virtual DDImage* RequireImage(const std::string& id);
    virtual int RequireSoundId(const std::string& id);
    virtual Font* RequireFont(const std::string& id);

    // The manifest.
    bool ReadManifest(const std::string& fileName);
    // Keeps the first error since the last LoadGroup; always false.
    bool RecordError(const std::string& text);
    bool HasFailed();
    std::string ErrorMessage();

    // Loading, counting, releasing and lookups.
    bool LoadNextPending();
    int CountGroupResources(const std::string& group);
    void UnloadGroup(const std::string& group);
    DDImage* FindImage(const std::string& id);
    int FindSoundId(const std::string& id);
    Font* FindFont(const std::string& id);

    const ImageMap& Images() const { return mImageMap; }
    const SoundMap& Sounds() const { return mSoundMap; }
    const FontMap& Fonts() const { return mFontMap; }

    // Highest number of animation frames, rows or columns an image may declare: bounds what a
    // malformed manifest can make the animation tables allocate.
    static constexpr int kMaxCells = 4096;

protected:
    // Where one group load stands. Each load has its own, so the start-up loader thread and a
    // synchronous load on the main thread never move each other's place.
    struct LoadCursor {
        std::string mGroup;
        ImageMap::iterator mImage;
        SoundMap::iterator mSound;
        FontMap::iterator mFont;
    };

    void ResetCursor(LoadCursor& cursor, const std::string& group);
    // Loads one pending resource of the cursor's group: true when one was loaded.
    bool LoadNextPending(LoadCursor& cursor);
    bool LoadSoundResource(SoundRes* res);

    ImageMap mImageMap;
    SoundMap mSoundMap;
    FontMap mFontMap;
    // The cursor of BeginGroupLoad / LoadNextPending.
    LoadCursor mCursor;
    std::atomic<int> mNextSoundId{0};
    XMLParser* mXMLParser = nullptr;
    std::string mError;
    bool mHasFailed = false;
    ResourceHost* mApp = nullptr;
    std::string mCurResGroup;
    std::string mDefaultPath;
    std::string mDefaultIdPrefix;

private:
    // Manifest reading steps.
    bool ReadRootElement();
    bool ParseResourcesFile();
    bool ParseResources();
    bool ParseCommonResource(const XMLElement& element, BaseRes& res, std::string& id);
    bool ParseImageResource(const XMLElement& element);
    bool ParseSoundResource(const XMLElement& element);
    bool ParseFontResource(const XMLElement& element);
    bool ParseSetDefaults(const XMLElement& element);
    bool ParseImageAnimation(const XMLElement& element, ImageRes& res);
    // Image loading steps.
    bool ApplyAlphaImage(ImageRes& res, uint32_t* bits, int width, int height);
    bool ApplyAlphaGrid(ImageRes& res, uint32_t* bits, int width, int height);
    void ApplyImageOptions(ImageRes& res, DDImage& image);
    bool Is3DOn() const;
    bool Pending(const BaseRes& res, const std::string& group) const;

    // Guards the error text and the failed flag, which every load and lookup may write.
    std::mutex mErrorLock;
    // Held while one resource loads, so two loads at once never load the same record twice.
    std::mutex mLoadLock;
};

} // namespace Olvarn
