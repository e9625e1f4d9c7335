// A creature of the aquarium: a picture with a position, size and facing that runs one activity at
// a time (move, turn, think), each carried out by a component, the next chosen by its controller.
#pragma once

#include <memory>
#include <string>

#include "board/BoardServices.h"
#include "data/CSaveObject.h"
#include "shell/CImage.h"
#include "shell/CLayerObject.h"

namespace tilvan
{

class CAnimal;

// A component's picture: shown by restarting it and copying it into the animal's image.
struct CPicture {
    CImage image{static_cast<Olvarn::Image*>(nullptr), 0, 0};
    // The animation's length in ms; false without an animation.
    bool AnimationLength(float& ms) const;
};

// Movers and the other activities: Start begins, Update answers false once done.
class CActivity : public save::CSaveObject
{
public:
    virtual bool Start() = 0;
    virtual bool Update(float ms) = 0;
    virtual std::unique_ptr<CActivity> CloneFor(CAnimal* owner) const = 0;
    CAnimal* animal = nullptr;

protected:
    void Show(CPicture& picture);
};

class CController : public save::CSaveObject
{
public:
    // Weights of move, turn and think.
    void SetWeights(int move, int turn, int think);
    // Draws the next state; false when every weight is 0.
    bool ChooseNext();
    // The fish's bobbing before its activity; nothing for the others.
    virtual void Update(float ms) {}
    virtual std::unique_ptr<CController> CloneFor(CAnimal* owner) const = 0;
    CAnimal* animal = nullptr;

protected:
    int total = 0;
    int moveEnd = 0;
    int turnEnd = 0;
};

enum class EAnimalKind { Creeper, Fish, Octopus, Shark };

class CAnimal : public CLayerObject, public save::CSaveObject
{
public:
    static constexpr int kClassId = -1620;
    static constexpr const char* kElement = "animal";

    CAnimal(EAnimalKind kind, std::unique_ptr<CController> controller, std::unique_ptr<CActivity> mover,
            std::unique_ptr<CActivity> rotater, std::unique_ptr<CActivity> thinker);
    CAnimal(const CAnimal& other);
    CAnimal& operator=(const CAnimal&) = delete;
    ~CAnimal() override;

    void Draw(Olvarn::Graphics& g) override;
    void Update(float ms);
    std::unique_ptr<CAnimal> Clone() const { return std::make_unique<CAnimal>(*this); }

    int Save() override;
    void Load(int row) override;
    int GetClassId() const override;
    static void DeclareReaderSchema(CXmlDataReader& reader);
    static void DeclareWriterSchema(CXmlDataWriter& writer);

    EAnimalKind Kind() const { return kind; }
    CActivity& Mover() { return *mover; }
    CController& Controller() { return *controller; }
    // The picture's pixel width and height as drawn.
    int PixelWidth() { return int(image.GetDimensions().x); }
    int PixelHeight() { return int(image.GetDimensions().y); }
    // The picture shows the facing.
    void ApplyFacing();

    std::string id;
    int state = 0;
    CImage image{static_cast<Olvarn::Image*>(nullptr), 0, 0};
    CImage logoimage{static_cast<Olvarn::Image*>(nullptr), 0, 0};
    FPoint pos{0, 0};
    FPoint targetpos{-1, -1};
    float minscale = 1.0f;
    float maxscale = 1.0f;
    float scale = 1.0f;
    bool isfalling = true;
    int minz = 40;
    int maxz = 60;
    int dir = 1;
    bool isfirsttime = true;

private:
    EAnimalKind kind;
    std::unique_ptr<CController> controller;
    std::unique_ptr<CActivity> mover;
    std::unique_ptr<CActivity> rotater;
    std::unique_ptr<CActivity> thinker;
};

// +1 on an odd draw, -1 on an even one.
int RandomSign();

} // namespace tilvan
