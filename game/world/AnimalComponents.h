// The creatures' components: the two controllers, the rotater, the thinker, the fall into the
// water and the four movers, with their saved rows.
#pragma once

#include <memory>
#include <string>

#include "world/CAnimal.h"

namespace tilvan
{

class CCreeperController : public CController
{
public:
    static constexpr int kClassId = 7001;
    int Save() override;
    void Load(int row) override {}
    int GetClassId() const override { return kClassId; }
    std::unique_ptr<CController> CloneFor(CAnimal* owner) const override;
};

class CFishController : public CController
{
public:
    static constexpr int kClassId = 7002;
    void Update(float ms) override;
    int Save() override;
    void Load(int row) override;
    int GetClassId() const override { return kClassId; }
    std::unique_ptr<CController> CloneFor(CAnimal* owner) const override;

    float last_dy = 0;
    float amplitude = 0;
    float frequency = 0;
    float time = 0;
    float y = 0;
    bool inited = false;
};

class CRotater : public CActivity
{
public:
    static constexpr int kClassId = 7008;
    bool Start() override;
    bool Update(float ms) override;
    int Save() override;
    void Load(int row) override;
    int GetClassId() const override { return kClassId; }
    std::unique_ptr<CActivity> CloneFor(CAnimal* owner) const override;

    CPicture turn_image;
    float time = 0;
    bool is_half_turn = false;
};

class CThinker : public CActivity
{
public:
    static constexpr int kClassId = 7009;
    bool Start() override;
    bool Update(float ms) override;
    int Save() override;
    void Load(int row) override;
    int GetClassId() const override { return kClassId; }
    std::unique_ptr<CActivity> CloneFor(CAnimal* owner) const override;

    int state = 0;
    int rep_left = 0;
    float time = 0;
    CPicture pause_image;
    int min_pause = 0;
    int max_pause = 0;
    int max_reps = 1;

private:
    float DrawPause() const;
};

// The throw from the drop point: flight time in seconds to fall dy under 600 px/s^2 from vel.y, or 0
// when no real time reaches it (dropped far below the landing point: it lands at once).
float ThrowTime(float velY, float dy);

class CFishFall : public save::CSaveObject
{
public:
    static constexpr int kClassId = 7004;
    bool Start();
    bool Update(float ms);
    int Save() override;
    void Load(int row) override;
    int GetClassId() const override { return kClassId; }

    CAnimal* animal = nullptr;
    float d_up = 0;
    float d_down = 0;
    float acc = 0;
    float target_scale = 1;
    float max_time = 0;
    float time = 0;
    FPoint vel{0, 0};
    float d_scale = 0;
    bool is_underwater = false;

private:
    void Land();
};

// Shared by every mover: the swim (or walk) length of n cycles of the picture.
float CyclesTime(const CPicture& picture, int minCycles, int maxCycles);

class CCreeperMover : public CActivity
{
public:
    static constexpr int kClassId = 7003;
    bool Start() override;
    bool Update(float ms) override;
    int Save() override;
    void Load(int row) override;
    int GetClassId() const override { return kClassId; }
    std::unique_ptr<CActivity> CloneFor(CAnimal* owner) const override;

    float speed = 0;
    float acc = 600;
    CPicture walk_image;
    int min_cycles = 1;
    int max_cycles = 1;
    float time = 0;
    FPoint vel{0, 0};
    bool collect = false;
    bool under_water = false;
};

class CFishMover : public CActivity
{
public:
    static constexpr int kClassId = 7005;
    bool Start() override;
    bool Update(float ms) override;
    int Save() override;
    void Load(int row) override;
    int GetClassId() const override { return kClassId; }
    std::unique_ptr<CActivity> CloneFor(CAnimal* owner) const override;

    int state = 0;
    CFishFall fall;
    float speed = 0;
    CPicture swim_image;
    int min_cycles = 1;
    int max_cycles = 1;
    float time = 0;
    FPoint vel{0, 0};
};

class COctopusMover : public CActivity
{
public:
    static constexpr int kClassId = 7007;
    bool Start() override;
    bool Update(float ms) override;
    int Save() override;
    void Load(int row) override;
    int GetClassId() const override { return kClassId; }
    std::unique_ptr<CActivity> CloneFor(CAnimal* owner) const override;

    int state = 0;
    float speed = 0;
    float hop = 0;
    CPicture swim_image;
    int min_cycles = 1;
    int max_cycles = 1;
    float time = 0;
    FPoint vel{0, 0};
    float cycle_time = 0;
    float acc = 0;
    float y = 0;
    CFishFall fall;

private:
    void ResetHop();
};

class CSharkMover : public CActivity
{
public:
    static constexpr int kClassId = 7006;
    bool Start() override;
    bool Update(float ms) override;
    int Save() override;
    void Load(int row) override;
    int GetClassId() const override { return kClassId; }
    std::unique_ptr<CActivity> CloneFor(CAnimal* owner) const override;

    int state = 0;
    CFishFall fall;
    float speed = 0;
    CPicture swim_image;
    CPicture attack_image;
    int min_cycles = 1;
    int max_cycles = 1;
    float time = 0;
    FPoint vel{0, 0};

private:
    void Bite();
};

// The save classes 7001 to 7009 with their rows' schemas.
void RegisterAnimalComponentClasses();

} // namespace tilvan
