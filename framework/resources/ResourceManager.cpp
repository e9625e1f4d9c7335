// The resource manager's records, its error record and the reader of the resource manifest.
#include "resources/ResourceManager.h"

#include <algorithm>
#include <cstdlib>

#include "core/Common.h"
#include "graphics/DDImage.h"
#include "graphics/Font.h"
#include "resources/ResourceHost.h"
#include "resources/XMLElement.h"
#include "resources/XMLParser.h"
#include "sound/SoundManager.h"

namespace Olvarn
{

namespace
{

const std::string* Attribute(const XMLElement& element, const char* name)
{
    auto it = element.mAttributes.find(name);
    return it == element.mAttributes.end() ? nullptr : &it->second;
}

bool HasAttribute(const XMLElement& element, const char* name)
{
    return Attribute(element, name) != nullptr;
}

// The C library's decimal conversion: leading digits, 0 when there are none.
int DecimalInt(const std::string& text)
{
    long value = std::strtol(text.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long>(value, -2147483647L - 1, 2147483647L));
}

// Integers separated by ","; an empty piece (or value) gives 0.
std::vector<int> IntList(const std::string& text)
{
    std::vector<int> values;
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = text.find(',', start);
        values.push_back(DecimalInt(text.substr(start, comma - start)));
        if (comma == std::string::npos)
            return values;
        start = comma + 1;
    }
}

} // namespace

// ---- Records --------------------------------------------------------------------------------

void ResourceManager::ImageRes::ReleaseData()
{
    delete mImage;
    mImage = nullptr;
}

void ResourceManager::SoundRes::ReleaseData()
{
    if (mSoundId >= 0 && mSoundManager)
        mSoundManager->ReleaseSound(mSoundId);
    mSoundId = -1;
}

void ResourceManager::FontRes::ReleaseData()
{
    delete mFont;
    mFont = nullptr;
    mImage.reset();
}

// ---- Manager and error record ---------------------------------------------------------------

ResourceManager::ResourceManager(ResourceHost* app) : mApp(app)
{
    ResetCursor(mCursor, "");
}

ResourceManager::~ResourceManager()
{
    delete mXMLParser;
}

bool ResourceManager::RecordError(const std::string& text)
{
    std::lock_guard<std::mutex> lock(mErrorLock);
    if (mHasFailed)
        return false;
    mHasFailed = true;
    mError = text;
    if (mXMLParser) {
        if (mXMLParser->GetCurrentLineNum() > 0)
            mError += " on Line " + std::to_string(mXMLParser->GetCurrentLineNum());
        if (!mXMLParser->GetFileName().empty())
            mError += " in File '" + mXMLParser->GetFileName() + "'";
    }
    return false;
}

bool ResourceManager::HasFailed()
{
    std::lock_guard<std::mutex> lock(mErrorLock);
    return mHasFailed;
}

std::string ResourceManager::ErrorMessage()
{
    std::lock_guard<std::mutex> lock(mErrorLock);
    return mError;
}

bool ResourceManager::Is3DOn() const
{
    return mApp && mApp->Is3DEnabled();
}

// ---- Manifest -------------------------------------------------------------------------------

bool ResourceManager::ReadManifest(const std::string& fileName)
{
    mXMLParser = new XMLParser();
    if (!mXMLParser->OpenFile(fileName))
        RecordError("Resource file not found: " + fileName);
    else
        ParseResourcesFile();
    if (mXMLParser->HasFailed())
        RecordError(mXMLParser->GetErrorText());
    delete mXMLParser;
    mXMLParser = nullptr;
    return !HasFailed();
}

bool ResourceManager::ReadRootElement()
{
    XMLElement element;
    for (;;) {
        if (!mXMLParser->NextElement(&element)) {
            if (mXMLParser->HasFailed())
                return RecordError(mXMLParser->GetErrorText());
            return RecordError("Expecting ResourceManifest tag");
        }
        if (element.mType == XMLElement::TYPE_START)
            break;
    }
    if (element.mValue != "ResourceManifest")
        return RecordError("Expecting ResourceManifest tag");
    return true;
}

bool ResourceManager::ParseResourcesFile()
{
    if (!ReadRootElement() || mXMLParser->HasFailed())
        return false;
    XMLElement element;
    while (mXMLParser->NextElement(&element)) {
        if (element.mType == XMLElement::TYPE_START) {
            if (element.mValue != "Resources")
                return RecordError("Invalid Section '" + element.mValue + "'");
            const std::string* id = Attribute(element, "id");
            if (!id || id->empty())
                return RecordError("No id specified.");
            mCurResGroup = *id;
            if (!ParseResources())
                return false;
        } else if (element.mType == XMLElement::TYPE_TEXT) {
            return RecordError("Element Not Expected '" + element.mValue + "'");
        }
    }
    return true;
}

bool ResourceManager::ParseResources()
{
    XMLElement element;
    while (mXMLParser->NextElement(&element)) {
        if (element.mType == XMLElement::TYPE_START) {
            const std::string name = element.mValue;
            bool ok;
            if (name == "Image")
                ok = ParseImageResource(element);
            else if (name == "Sound")
                ok = ParseSoundResource(element);
            else if (name == "Font")
                ok = ParseFontResource(element);
            else if (name == "SetDefaults")
                ok = ParseSetDefaults(element);
            else
                return RecordError("Invalid Section '" + name + "'");
            if (!ok)
                return false;
            XMLElement end;
            if (!mXMLParser->NextElement(&end) && mXMLParser->HasFailed())
                return false;
            if (end.mType != XMLElement::TYPE_END || end.mValue != name)
                return RecordError("Unexpected element found.");
        } else if (element.mType == XMLElement::TYPE_TEXT) {
            return RecordError("Element Not Expected '" + element.mValue + "'");
        } else if (element.mType == XMLElement::TYPE_END && element.mValue == "Resources") {
            return true;
        }
    }
    return !mXMLParser->HasFailed();
}

bool ResourceManager::ParseSetDefaults(const XMLElement& element)
{
    if (const std::string* path = Attribute(element, "path")) {
        // An empty path means no prefix: "/" would turn every later path into an absolute one.
        mDefaultPath = path->empty() ? std::string() : StripTrailingSeparator(*path) + "/";
    }
    if (const std::string* prefix = Attribute(element, "idprefix"))
        mDefaultIdPrefix = *prefix;
    return true;
}

bool ResourceManager::ParseCommonResource(const XMLElement& element, BaseRes& res, std::string& id)
{
    const std::string* path = Attribute(element, "path");
    if (!path || path->empty())
        return RecordError("No path specified.");
    res.mResGroup = mCurResGroup;
    res.mPath = (*path)[0] == '!' ? *path : mDefaultPath + *path;
    res.mFromProgram = *path == "!program";
    const std::string* givenId = Attribute(element, "id");
    id = mDefaultIdPrefix + (givenId ? *givenId : PathFileName(res.mPath, true));
    return true;
}

bool ResourceManager::ParseImageResource(const XMLElement& element)
{
    auto res = std::make_unique<ImageRes>();
    std::string id;
    if (!ParseCommonResource(element, *res, id))
        return false;
    if (mImageMap.count(id) != 0)
        return RecordError("Resource already defined.");
    ImageRes& image = *res;
    mImageMap[id] = std::move(res);

    image.mPalletize = !HasAttribute(element, "nopal");
    image.mA4R4G4B4 = HasAttribute(element, "a4r4g4b4");
    image.mA8R8G8B8 = HasAttribute(element, "a8r8g8b8");
    image.mMinimizeSubdivisions = HasAttribute(element, "minsubdivide");
    image.mDDSurface = HasAttribute(element, "ddsurface");
    image.mPurgeBits = HasAttribute(element, "nobits") || (Is3DOn() && HasAttribute(element, "nobits3d")) ||
                       (!Is3DOn() && HasAttribute(element, "nobits2d"));
    image.mAutoFindAlpha = !HasAttribute(element, "noalpha");
    if (const std::string* alpha = Attribute(element, "alphaimage"))
        image.mAlphaImage = mDefaultPath + *alpha;
    if (const std::string* grid = Attribute(element, "alphagrid"))
        image.mAlphaGridImage = mDefaultPath + *grid;
    if (const std::string* rows = Attribute(element, "rows"))
        image.mRows = DecimalInt(*rows);
    if (const std::string* cols = Attribute(element, "cols"))
        image.mCols = DecimalInt(*cols);
    // The alpha grid divides by them and every cell lookup needs at least one row and column.
    if (image.mRows < 1 || image.mCols < 1 || image.mRows > kMaxCells || image.mCols > kMaxCells)
        return RecordError("Invalid rows/cols.");
    return ParseImageAnimation(element, image);
}

bool ResourceManager::ParseImageAnimation(const XMLElement& element, ImageRes& res)
{
    ImageAnimation& anim = res.mAnimInfo;
    anim.mType = ImageAnimation::TYPE_NONE;
    if (const std::string* type = Attribute(element, "anim")) {
        const std::string word = ToLowerCopy(*type);
        if (word == "none")
            anim.mType = ImageAnimation::TYPE_NONE;
        else if (word == "once")
            anim.mType = ImageAnimation::TYPE_ONCE;
        else if (word == "loop")
            anim.mType = ImageAnimation::TYPE_LOOP;
        else if (word == "pingpong")
            anim.mType = ImageAnimation::TYPE_PINGPONG;
        else
            return RecordError("Invalid animation type.");
    }
    if (anim.mType == ImageAnimation::TYPE_NONE)
        return true;

    int beginDelay = 0, endDelay = 0;
    if (const std::string* value = Attribute(element, "framedelay"))
        anim.mFrameDelay = DecimalInt(*value);
    if (const std::string* value = Attribute(element, "begindelay"))
        beginDelay = DecimalInt(*value);
    if (const std::string* value = Attribute(element, "enddelay"))
        endDelay = DecimalInt(*value);
    if (const std::string* value = Attribute(element, "perframedelay"))
        anim.mPerFrameDelay = IntList(*value);
    if (const std::string* value = Attribute(element, "framemap"))
        anim.mFrameMap = IntList(*value);
    anim.Prepare(std::max(res.mRows, res.mCols), beginDelay, endDelay);
    return true;
}

bool ResourceManager::ParseSoundResource(const XMLElement& element)
{
    auto res = std::make_unique<SoundRes>();
    std::string id;
    if (!ParseCommonResource(element, *res, id))
        return false;
    if (mSoundMap.count(id) != 0)
        return RecordError("Resource already defined.");
    SoundRes& sound = *res;
    mSoundMap[id] = std::move(res);

    double volume = 0;
    if (const std::string* value = Attribute(element, "volume"); value && ParseDouble(*value, volume))
        sound.mVolume = volume;
    int pan = 0;
    if (const std::string* value = Attribute(element, "pan"); value && ParseInt(*value, pan))
        sound.mPanning = pan;
    return true;
}

bool ResourceManager::ParseFontResource(const XMLElement& element)
{
    auto res = std::make_unique<FontRes>();
    std::string id;
    if (!ParseCommonResource(element, *res, id))
        return false;
    if (mFontMap.count(id) != 0)
        return RecordError("Resource already defined.");
    FontRes& font = *res;
    mFontMap[id] = std::move(res);

    if (const std::string* image = Attribute(element, "image"))
        font.mImagePath = *image;
    if (const std::string* tags = Attribute(element, "tags"))
        font.mTags = *tags;
    return true;
}

} // namespace Olvarn
