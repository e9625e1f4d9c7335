// Shows the main menu's snow and a scripted particle fountain over the main menu's picture in a real
// window, for looking at them (under Xvfb for a screenshot). Run it in the folder the game's data was
// laid out in (build/bin):  world_particle_show [updates]   (it closes itself after that many).
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/OlvarnAppBase.h"
#include "graphics/Graphics.h"
#include "resources/ResourceManager.h"
#include "shell/CImage.h"
#include "shell/GameServices.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"
#include "world/CParticleScript.h"
#include "world/CParticleSystem.h"
#include "world/CSnowEffect.h"

using namespace tilvan;

namespace
{

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

// Sparks and soft dots rising from a point and falling back, cooling as they go.
constexpr const char* kFountain = R"(
function init(system)
    add_color_decay_action(system, color(255, 240, 200, 255), color(255, 80, 40, 0), 800)
end
function update(system, ms)
    for i = 1, 3 do
        local p = particle_class(i == 1 and "IMAGE_PARTICLE_STAR" or "IMAGE_PARTICLE_DOT", vector2(700, 520), 0,
            1400 + math.random(0, 800))
        p.vel = vector2(math.random(-90, 90), math.random(-330, -220))
        p.acc = vector2(0, 300)
        p:set_scaling(1.4, 0.5)
        system:emit(i, p)
    end
end
)";

class ShowWidget : public Olvarn::Widget
{
public:
    ShowWidget()
        : mBack("IMAGE_MAINMENU_BACK"), mSnow(CSnowEffect::Create("scripts/main_snow.lua")),
          mScript(std::make_unique<CParticleScript>("particle_show.lua", ""))
    {
        mScript->Run();
        mFountain = std::make_unique<CParticleSystem>("init", "update", mScript.get(), true);
    }
    void Update() override
    {
        mSnow->Update(10);
        mFountain->Update(10);
        Invalidate();
    }
    void Draw(Olvarn::Graphics& g) override
    {
        mBack.DrawAt(g, 0, 0);
        mSnow->Draw(g);
        Olvarn::GraphicsStateSaver saver(g);
        g.SetDrawMode(Olvarn::Graphics::DRAWMODE_ADDITIVE);
        mFountain->Draw(g);
    }

private:
    CImage mBack;
    std::unique_ptr<CSnowEffect> mSnow;
    std::unique_ptr<CParticleScript> mScript;
    std::unique_ptr<CParticleSystem> mFountain;
};

class ShowApp : public Olvarn::OlvarnAppBase
{
public:
    explicit ShowApp(int updates) : mUpdates(updates)
    {
        mProductName = "ParticleShow";
        mProductVersion = "ParticleShow 1";
        mRegKey = "Quendril\\ParticleShow";
        mWidth = kWidth;
        mHeight = kHeight;
        mNoSound = true;
        mOnlyAllowOneCopyToRun = false;
        mCmdLineParsed = true;
        services::InstallFrameworkApp(this);
    }
    ~ShowApp() override
    {
        OlvarnAppBase::ShutDownApp();
        if (mWidget) {
            mWidgetManager->RemoveWidget(mWidget);
            delete mWidget;
        }
        services::InstallFrameworkApp(nullptr);
    }

    bool KeepCurrentDirectory(const std::string&) override { return true; }

    void OnInitDone() override
    {
        mResourceManager->ReadManifest("properties/resources.xml");
        mResourceManager->LoadGroup("MainMenu");
        mResourceManager->LoadGroup("Game");
        mWidget = new ShowWidget();
        mWidget->Resize(0, 0, kWidth, kHeight);
        mWidgetManager->AddWidget(mWidget);
    }

    void UpdateAppOnce() override
    {
        OlvarnAppBase::UpdateAppOnce();
        if (mUpdateCount > mUpdates)
            ShutDownApp();
    }

private:
    int mUpdates;
    ShowWidget* mWidget = nullptr;
};

} // namespace

int main(int argc, char** argv)
{
    const int updates = argc > 1 ? std::atoi(argv[1]) : 3000;
    {
        FILE* f = std::fopen("particle_show.lua", "w");
        if (!f)
            return 1;
        std::fputs(kFountain, f);
        std::fclose(f);
    }
    ShowApp app(updates);
    app.InitApp();
    app.RunApp();
    std::remove("particle_show.lua");
    return 0;
}
