// The scenery of one level: its location, its aquarium, the sun, and the feedback script that sees
// the level through the script globals and flies its particle systems on the draw layers.
#pragma once

#include <memory>

#include "board/BoardServices.h"
#include "data/CSaveObject.h"
#include "shell/CLayerObject.h"
#include "world/CAquarium.h"
#include "world/CLayerParticleSystemController.h"
#include "world/CLocation.h"
#include "world/CSun.h"

namespace tilvan
{

class CBirdController;
class CLevelInfo;
class CLevelView;
class CPipeline;

class CEnvironment : public save::CSaveObject
{
public:
    static constexpr int kClassId = 116;
    static constexpr const char* kElement = "environment";

    CEnvironment(CLevelView* level, CPipeline* pipeline, CBirdController* birds);
    ~CEnvironment() override;
    CEnvironment(const CEnvironment&) = delete;
    CEnvironment& operator=(const CEnvironment&) = delete;

    // Empties the aquarium, applies the location to the creatures and the pictures, places the sun.
    void SetLevel(const CLevelInfo* definition);
    // Starts the feedback script, once.
    void Start();
    // On the real clock: the location, the creatures, the sun in 3D mode and the feedback script.
    void Update(float ms);
    void Melt(int ms) { location.Melt(ms); }

    CLocation& Location() { return location; }
    CAquarium& Aquarium() { return aquarium; }
    CSun& Sun() { return sun; }
    CLayerParticleSystemController& Feedback() { return *feedback; }
    int LevelNumber() const { return levelNumber; }
    FPoint SunPosition() const { return sunPosition; }
    bool IsStarted() const { return started; }
    // Sun position for a level of the game: rising left, highest mid-game, setting right.
    static FPoint SunPositionFor(int levelNumber, int levelCount);

    int Save() override;
    void Load(int row) override;
    int GetClassId() const override { return kClassId; }
    static void DeclareReaderSchema(CXmlDataReader& reader);
    static void DeclareWriterSchema(CXmlDataWriter& writer);

    // Script classes of the folders above (the level's and the player's) for the feedback script.
    static void AddFeedbackBindings(void (*registerClasses)(lua_State*));

private:
    class CSunLayer : public CLayerObject
    {
    public:
        explicit CSunLayer(CSun& sun) : CLayerObject(true, 10), mSun(sun) {}
        void Draw(Olvarn::Graphics& g) override { mSun.Draw(g); }

    private:
        CSun& mSun;
    };

    // The level's script classes beside the controller's own particle classes.
    static void RegisterFeedbackBindings(lua_State* state);

    CLocation location;
    CAquarium aquarium;
    CSun sun{127, 127};
    std::unique_ptr<CLayerParticleSystemController> feedback;
    CSunLayer sunLayer{sun};
    int levelNumber = -1;
    FPoint sunPosition{127, 127};
    bool started = false;
    bool drawn3D = false;
};

} // namespace tilvan
