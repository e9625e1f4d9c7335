// Pearls as the player wins them: a pearl that flies from where it was earned to the pearl counter
// with particles about it, and the particles alone of a pearl won by score. Their particles come
// from a small script each; both draw over every widget.
#pragma once

#include <memory>

#include "board/CLevelEffect.h"
#include "shell/CImage.h"
#include "world/CParticleScript.h"
#include "world/CParticleSystem.h"
#include "world/CWidgetAdapter.h"

namespace tilvan::level_effects
{

class CPearlEffect : public CLevelEffect
{
public:
    static constexpr const char* kScript = "scripts/effects/pearl.lua";
    // The last part of the flight in which the pearl fades out.
    static constexpr float kFadeTime = 250;

    explicit CPearlEffect(FPoint position);
    ~CPearlEffect() override;
    CPearlEffect(const CPearlEffect&) = delete;
    CPearlEffect& operator=(const CPearlEffect&) = delete;

    void Update(float ms) override;
    void Draw(Olvarn::Graphics&) override {}
    // The adapter's drawing: the pearl, then its particles.
    void DrawOnTop(Olvarn::Graphics& g);

    FPoint Position() const { return position; }
    const CImage& Image() const { return image; }
    const CParticleSystem& Particles() const { return particles; }
    CParticleSystem& Particles() { return particles; }
    const CWidgetAdapter<CPearlEffect>* Adapter() const { return adapter.get(); }

private:
    CParticleSystem particles;
    CParticleScript script;
    std::shared_ptr<CWidgetAdapter<CPearlEffect>> adapter;
    FPoint position;
    FPoint start;
    float remaining;
    CImage image;
};

class CScorePearlEffect : public CLevelEffect
{
public:
    static constexpr const char* kScript = "scripts/effects/scorepearl.lua";

    CScorePearlEffect();
    ~CScorePearlEffect() override;
    CScorePearlEffect(const CScorePearlEffect&) = delete;
    CScorePearlEffect& operator=(const CScorePearlEffect&) = delete;

    void Update(float ms) override;
    void Draw(Olvarn::Graphics&) override {}
    void DrawOnTop(Olvarn::Graphics& g);

    const CParticleSystem& Particles() const { return particles; }

private:
    CParticleSystem particles;
    CParticleScript script;
    std::shared_ptr<CWidgetAdapter<CScorePearlEffect>> adapter;
};

} // namespace tilvan::level_effects
