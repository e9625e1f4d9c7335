// The level's location pictures as draw-layer objects, and the melt of this level's ice when the
// level is completed: the pictures fade while stars twinkle over them.
#pragma once

#include <memory>
#include <vector>

#include "data/CSaveObject.h"
#include "shell/CLayerObject.h"

namespace tilvan
{

class CLevelInfo;

class CMeltStar : public CLayerImage
{
public:
    CMeltStar(int rectX, int rectY, int rectWidth, int rectHeight);
    void Update(float ms, bool melting);
    // A random spot of the rectangle (y drawn first), then the twinkle plays once from the start.
    void Place();

    int rectX, rectY, rectWidth, rectHeight;
};

class CLocation : public save::CSaveObject
{
public:
    static constexpr int kClassId = 1161;
    static constexpr const char* kElement = "location";

    CLocation() = default;
    ~CLocation() override;
    CLocation(const CLocation&) = delete;
    CLocation& operator=(const CLocation&) = delete;

    void SetLevel(const CLevelInfo* definition);
    void Update(float ms);
    void Melt(int ms);

    int LevelIndex() const { return levelIndex; }
    bool IsMelting() const { return melting; }
    // The alpha the melting pictures have now (255 before a melt).
    int MeltAlpha() const { return meltAlpha; }
    const std::vector<std::unique_ptr<CLayerImage>>& Images() const { return images; }
    const std::vector<std::unique_ptr<CLayerImage>>& MeltingImages() const { return meltingImages; }
    size_t StarCount() const { return meltStars.size(); }
    // Stars for a picture of that size: one per 400 square pixels, at least 5.
    static int StarsFor(int width, int height);

    int Save() override;
    void Load(int row) override;
    int GetClassId() const override { return kClassId; }
    static void DeclareReaderSchema(CXmlDataReader& reader);
    static void DeclareWriterSchema(CXmlDataWriter& writer);

private:
    std::vector<std::unique_ptr<CLayerImage>> images;
    std::vector<std::unique_ptr<CLayerImage>> meltingImages;
    std::vector<std::unique_ptr<CMeltStar>> meltStars;
    int levelIndex = -1;
    bool melting = false;
    int meltTime = 0;
    float meltRemaining = 0;
    int meltAlpha = 255;
};

} // namespace tilvan
