// The main menu's scene, its property rows and its picture widgets.
#include "screens/CMainMenuScene.h"

#include <cstdlib>

#include "data/CXmlDataReader.h"
#include "data/DataValues.h"
#include "platform/Log.h"
#include "shell/CScript.h"
#include "shell/GameServices.h"
#include "shell/GameTiming.h"
#include "widgets/WidgetManager.h"

namespace tilvan
{

namespace
{

constexpr float kPictureStepMs = 10.0f;
constexpr float kSunX = 100, kSunY = 90;

// Each missing world effect is reported once per run, not once per menu.
void ReportMissing(const char* what)
{
    static bool snowReported = false, particlesReported = false;
    bool& reported = std::string(what) == "snow" ? snowReported : particlesReported;
    if (reported)
        return;
    reported = true;
    Olvarn::LogWrite(Olvarn::LogLevel::Warning, "main menu: no %s effect is installed; the scene shows none", what);
}

int PictureLayer(const std::string& z)
{
    return z == "top" ? CMainMenuPictureRow::kTop : std::atoi(z.c_str());
}

} // namespace

CMainMenuConfig& MainMenuConfig()
{
    static CMainMenuConfig config;
    return config;
}

CMainMenuSceneMakers& MainMenuSceneMakers()
{
    static CMainMenuSceneMakers makers;
    return makers;
}

void DeclareMainMenuImageSchema(CXmlDataReader& reader)
{
    for (const char* a : {"image", "pos", "z"})
        reader.DeclareAttribute("mainmenu_image", a, "");
    for (const char* a : {"y", "z"})
        reader.DeclareAttribute("mainmenu_water", a, "");
}

void DeclareMainMenuLogoSchema(CXmlDataReader& reader)
{
    for (const char* a : {"image", "pos", "hyperlink"})
        reader.DeclareAttribute("mainmenu_logo", a, "");
}

void LoadLogoConfig(CXmlDataReader& reader)
{
    std::vector<CMainMenuLogoRow>& rows = MainMenuConfig().logoRows;
    int count = reader.GetRowCount("mainmenu_logo");
    rows.reserve(rows.size() + size_t(count));
    for (int i = 0; i < count; ++i) {
        CMainMenuLogoRow row;
        CFloatPair pos;
        reader.GetRow("mainmenu_logo", i, row.image, pos, row.hyperlink);
        row.x = pos.x;
        row.y = pos.y;
        rows.push_back(row);
    }
}

void LoadImageConfig(CXmlDataReader& reader)
{
    CMainMenuConfig& config = MainMenuConfig();
    for (int i = 0, n = reader.GetRowCount("mainmenu_image"); i < n; ++i) {
        CMainMenuPictureRow row;
        CFloatPair pos;
        std::string z;
        reader.GetRow("mainmenu_image", i, row.image, pos, z);
        row.x = pos.x;
        row.y = pos.y;
        row.z = PictureLayer(z);
        config.pictureRows.push_back(row);
    }
    for (int i = 0, n = reader.GetRowCount("mainmenu_water"); i < n; ++i)
        reader.GetRow("mainmenu_water", i, config.waterY, config.waterZ);
}

CMainMenuPicture::CMainMenuPicture(const std::string& imageId, int x, int y) : image(imageId, x, y)
{
    Resize(0, 0, 1, 1);
    mClipToBounds = false;
    mAcceptsMouse = false;
}

void CMainMenuPicture::Update()
{
    image.Update(kPictureStepMs);
}

void CMainMenuPicture::Draw(Olvarn::Graphics& g)
{
    image.Draw(g);
}

CMainMenuScene::CSnowWidget::CSnowWidget()
{
    Resize(0, 0, 1, 1);
    mClipToBounds = false;
    mAcceptsMouse = false;
}

void CMainMenuScene::CSnowWidget::Update()
{
    Olvarn::Widget::Update();
    if (effect)
        effect->Update(kUpdateStepMs);
}

void CMainMenuScene::CSnowWidget::Draw(Olvarn::Graphics& g)
{
    if (effect)
        effect->Draw(g);
}

CMainMenuScene::CMainMenuScene()
    : particleLayer(kParticleLayer,
                    [this](Olvarn::Graphics& g) {
                        if (particles)
                            particles->Draw(g);
                    }),
      waterLayer(0, [this](Olvarn::Graphics& g) { water.DrawBack(g); }), snowWidget(std::make_unique<CSnowWidget>()),
      sun(kSunX, kSunY), script(std::make_unique<CBasicScript>(kParticleScript, "")),
      sunLayer(kSunLayer, [this](Olvarn::Graphics& g) { sun.Draw(g); })
{
    CMainMenuSceneMakers& makers = MainMenuSceneMakers();
    if (makers.snow)
        snowWidget->effect = makers.snow(kSnowScript);
    if (!snowWidget->effect)
        ReportMissing("snow");

    lua_State* L = script->State();
    CImage::RegisterLuaClass(L);
    if (makers.registerParticleClasses)
        makers.registerParticleClasses(L);
    script->Run();
    if (makers.particles)
        particles = makers.particles(*script);
    if (!particles)
        ReportMissing("particle");
}

CMainMenuScene::~CMainMenuScene()
{
    RemoveWidgets();
}

bool CMainMenuScene::HasSnow() const
{
    return snowWidget->effect != nullptr;
}

void CMainMenuScene::RemoveWidgets()
{
    Olvarn::WidgetManager* manager = services::WidgetManager();
    if (!manager)
        return;
    for (auto& picture : topPictures)
        if (picture->mParent)
            manager->RemoveWidget(picture.get());
    if (snowWidget->mParent)
        manager->RemoveWidget(snowWidget.get());
}

void CMainMenuScene::Build()
{
    RemoveWidgets();
    topPictures.clear();
    layerImages.clear();
    Olvarn::WidgetManager* manager = services::WidgetManager();
    const CMainMenuConfig& config = MainMenuConfig();
    for (const CMainMenuPictureRow& row : config.pictureRows) {
        if (row.z == CMainMenuPictureRow::kTop) {
            topPictures.push_back(std::make_unique<CMainMenuPicture>(row.image, int(row.x), int(row.y)));
            if (manager)
                manager->AddWidget(topPictures.back().get());
        } else {
            layerImages.push_back(std::make_unique<CLayerImage>(row.image, Olvarn::OlvarnVector2(row.x, row.y), row.z));
            layerImages.back()->image.AddFlags(CImage::SMOOTH_ANIMATION);
        }
    }
    water.SetY(config.waterY);
    waterLayer.SetLayer(config.waterZ);
    if (manager)
        manager->AddWidget(snowWidget.get());
}

void CMainMenuScene::Update(float ms)
{
    water.Update(ms);
    for (auto& image : layerImages)
        image->image.Update(ms);
    sun.Update(ms);
    if (particles)
        particles->Update(ms);
}

void CMainMenuScene::DrawFrontWater(Olvarn::Graphics& g)
{
    water.DrawFront(g);
}

} // namespace tilvan
