// The living picture behind the main menu: water, snow, sun, pictures placed by data, a scripted
// particle system, and the property rows that place them and the publisher logos.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/CImage.h"
#include "shell/CLayerObject.h"
#include "widgets/Widget.h"
#include "world/CSun.h"
#include "world/CWater.h"

namespace Olvarn
{
class Graphics;
}

namespace tilvan
{

class CBasicScript;
class CScript;
class CXmlDataReader;

struct CMainMenuLogoRow {
    std::string image;
    float x = 0;
    float y = 0;
    std::string hyperlink;
};

struct CMainMenuPictureRow {
    // The layer of a picture drawn above the menu and its buttons.
    static constexpr int kTop = -1;
    std::string image;
    float x = 0;
    float y = 0;
    int z = 0;
};

// Filled while the property files load; the tables only grow.
struct CMainMenuConfig {
    std::vector<CMainMenuLogoRow> logoRows;
    std::vector<CMainMenuPictureRow> pictureRows;
    int waterY = 0;
    int waterZ = 0;
};
CMainMenuConfig& MainMenuConfig();

void DeclareMainMenuImageSchema(CXmlDataReader& reader);
void DeclareMainMenuLogoSchema(CXmlDataReader& reader);
// "mainmenu_logo" rows, appended in file order.
void LoadLogoConfig(CXmlDataReader& reader);
// "mainmenu_image" rows, appended; the last "mainmenu_water" row read sets the water.
void LoadImageConfig(CXmlDataReader& reader);

// One of the scene's world effects, seen from the scene: advanced by milliseconds and drawn.
class CSceneEffect
{
public:
    virtual ~CSceneEffect() = default;
    virtual void Update(float ms) = 0;
    virtual void Draw(Olvarn::Graphics& g) = 0;
};

// How the scene gets the world's snow and particle system. The world installs them; while a maker
// is missing the scene shows no snow or no particles and says so in the log once.
struct CMainMenuSceneMakers {
    // A snow field run by the script at that path.
    std::function<std::unique_ptr<CSceneEffect>(const std::string& scriptPath)> snow;
    // A particle system named "init" / "update" on the host, whose script has run; it calls "init".
    std::function<std::unique_ptr<CSceneEffect>(CScript& host)> particles;
    // Registers the particle classes in the host's state before its script runs.
    std::function<void(lua_State* state)> registerParticleClasses;
};
CMainMenuSceneMakers& MainMenuSceneMakers();

// A picture above the menu's buttons: a top-level widget that draws its image where the image is.
class CMainMenuPicture : public Olvarn::Widget
{
public:
    CMainMenuPicture(const std::string& imageId, int x, int y);
    void Update() override;
    void Draw(Olvarn::Graphics& g) override;

    CImage image;
};

class CMainMenuScene
{
public:
    static constexpr const char* kSnowScript = "scripts/main_snow.lua";
    static constexpr const char* kParticleScript = "scripts/mainmenu.lua";
    static constexpr int kParticleLayer = 1000;
    static constexpr int kSunLayer = 1;

    CMainMenuScene();
    ~CMainMenuScene();
    CMainMenuScene(const CMainMenuScene&) = delete;
    CMainMenuScene& operator=(const CMainMenuScene&) = delete;

    // Places the pictures, the water line and the snow; on every attach of the menu.
    void Build();
    void Update(float ms);
    void DrawFrontWater(Olvarn::Graphics& g);

    const CWater& Water() const { return water; }
    int WaterLayer() const { return waterLayer.GetLayer(); }
    const CSun& Sun() const { return sun; }
    const std::vector<std::unique_ptr<CLayerImage>>& LayerImages() const { return layerImages; }
    const std::vector<std::unique_ptr<CMainMenuPicture>>& TopPictures() const { return topPictures; }
    Olvarn::Widget& SnowWidget() { return *snowWidget; }
    bool HasSnow() const;
    bool HasParticles() const { return particles != nullptr; }

private:
    // Draws one member of the scene at a layer of the draw-layer list.
    class CDrawAt : public CLayerObject
    {
    public:
        CDrawAt(int layer, std::function<void(Olvarn::Graphics&)> draw)
            : CLayerObject(true, layer), draw(std::move(draw))
        {
        }
        void Draw(Olvarn::Graphics& g) override { draw(g); }

    private:
        std::function<void(Olvarn::Graphics&)> draw;
    };

    // The snow's top-level widget: drawn after everything, not clipped to its 1 x 1 rectangle.
    class CSnowWidget : public Olvarn::Widget
    {
    public:
        CSnowWidget();
        void Update() override;
        void Draw(Olvarn::Graphics& g) override;

        std::unique_ptr<CSceneEffect> effect;
    };

    void RemoveWidgets();

    CDrawAt particleLayer;
    CWater water;
    CDrawAt waterLayer;
    std::unique_ptr<CSnowWidget> snowWidget;
    CSun sun;
    std::unique_ptr<CBasicScript> script;
    std::unique_ptr<CSceneEffect> particles;
    CDrawAt sunLayer;
    std::vector<std::unique_ptr<CLayerImage>> layerImages;
    std::vector<std::unique_ptr<CMainMenuPicture>> topPictures;
};

} // namespace tilvan
