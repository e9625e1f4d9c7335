// The main menu without a running game: its property rows, greeting, buttons, logos and scene.
// Pressing the buttons in the running game is the menu tour's (tamberlo-menu-tour under CTest).
#include <gtest/gtest.h>

#include <algorithm>

#include "data/CStringTable.h"
#include "data/CXmlDataReader.h"
#include "records/CProfiles.h"
#include "screens/CMainMenu.h"
#include "screens/CMainMenuScene.h"
#include "shell/CGameButton.h"
#include "shell/CGuiDescriptions.h"
#include "shell/CLayerObject.h"
#include "shell/ShellTestSupport.h"
#include "widgets/HyperlinkWidget.h"
#include "widgets/WidgetManager.h"

using namespace tilvan;

namespace
{

void LoadRows(const std::string& rows, void (*declare)(CXmlDataReader&), void (*load)(CXmlDataReader&))
{
    CXmlDataReader reader;
    declare(reader);
    reader.LoadFromMemory("<data>" + rows + "</data>");
    load(reader);
}

class Menu : public testing::Test
{
protected:
    Menu()
    {
        mApp.mWidth = 1024;
        mApp.mHeight = 768;
        mOwnResources = mApp.mResourceManager;
        mApp.mResourceManager = &mResources;
        mResources.AddImage("IMAGE_MENU_BUTTON", 240, 52);
        mResources.AddImage("IMAGE_LOGO", 200, 60);
        mResources.AddImage("IMAGE_PICTURE", 50, 40);
        mResources.AddFont("FONT_MAINMENU");
        mResources.AddFont("FONT_GREET");
        mResources.AddFont("FONT_TEXT");
        mResources.AddFont("FONT_HYPERLINK");
        mResources.AddSound("SOUND_BUTTON_CLICK", 3);
        MainMenuConfig() = CMainMenuConfig();
        CGuiDescriptions::Instance().Clear();
        CXmlDataReader reader;
        CGuiDescriptions::DeclareSchema(reader);
        reader.LoadFromMemory(
            "<data><window id=\"mainmenu\" size=\"1024 768\" pos=\"0 0\"/>"
            "<widget window_id=\"mainmenu\" id=\"play\" pos=\"512 300\" size=\"-1 -1\" x_centered=\"1\" "
            "image=\"IMAGE_MENU_BUTTON\" text=\"Play\"/>"
            "<widget window_id=\"mainmenu\" id=\"options\" pos=\"100 400\" size=\"120 30\" image=\"IMAGE_MENU_BUTTON\" "
            "text=\"Options\" color=\"10 20 30 255\"/>"
            "<widget window_id=\"mainmenu\" id=\"quit\" pos=\"512 500\" size=\"-1 -1\" x_centered=\"1\" "
            "image=\"IMAGE_MISSING\"/></data>");
        CGuiDescriptions::Instance().Load(reader, &mApp);
        GetStringTable().Set(136, "Welcome!");
        GetStringTable().Set(137, "Hello %s, $5 ");
        GetStringTable().Set(5, "friend");
        GetStringTable().Set(141, "Change player");
        CMainMenu::SetUrlOpener([this](const std::string& url) { mOpened.push_back(url); });
    }
    ~Menu() override
    {
        CMainMenu::SetUrlOpener(nullptr);
        CGuiDescriptions::Instance().Clear();
        MainMenuConfig() = CMainMenuConfig();
        for (const std::string& name : mProfiles)
            CProfiles::Instance().DeleteProfile(name);
        mApp.mResourceManager = mOwnResources;
    }
    void AddProfile(const std::string& name)
    {
        CProfiles::Instance().AddProfile(name, true);
        mProfiles.push_back(name);
    }

    shelltest::TestApp mApp;
    shelltest::TestResources mResources;
    Olvarn::ResourceManager* mOwnResources = nullptr;
    std::vector<std::string> mOpened;
    std::vector<std::string> mProfiles;
};

std::vector<int> Box(const Olvarn::Widget* w)
{
    return {w->mX, w->mY, w->mWidth, w->mHeight};
}

} // namespace

TEST(MainMenuRows, PicturesLogosAndWaterAsTheFilesGiveThem)
{
    MainMenuConfig() = CMainMenuConfig();
    LoadRows("<mainmenu_image image=\"A\" pos=\"1.5 2\" z=\"top\"/>"
             "<mainmenu_image image=\"B\" pos=\"3 4\" z=\"500\"/>"
             "<mainmenu_image image=\"C\" z=\"deep\"/>"
             "<mainmenu_water y=\"600\" z=\"3\"/><mainmenu_water y=\"640\" z=\"7\"/>",
             &DeclareMainMenuImageSchema, &LoadImageConfig);
    // The branches file adds to what the menu file gave.
    LoadRows("<mainmenu_image image=\"D\" pos=\"5 6\" z=\"-20\"/>", &DeclareMainMenuImageSchema, &LoadImageConfig);
    LoadRows("<mainmenu_logo image=\"L1\" pos=\"10 20\" hyperlink=\"https://example.org/\"/>"
             "<mainmenu_logo image=\"L2\"/>",
             &DeclareMainMenuLogoSchema, &LoadLogoConfig);

    const CMainMenuConfig& c = MainMenuConfig();
    struct Case {
        std::string image;
        float x, y;
        int z;
    };
    const Case cases[] = {
        {"A", 1.5f, 2, CMainMenuPictureRow::kTop}, {"B", 3, 4, 500}, {"C", 0, 0, 0}, {"D", 5, 6, -20}};
    ASSERT_EQ(c.pictureRows.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].image);
        EXPECT_EQ(c.pictureRows[i].image, cases[i].image);
        EXPECT_EQ(c.pictureRows[i].x, cases[i].x);
        EXPECT_EQ(c.pictureRows[i].y, cases[i].y);
        EXPECT_EQ(c.pictureRows[i].z, cases[i].z);
    }
    EXPECT_EQ(c.waterY, 640);
    EXPECT_EQ(c.waterZ, 7);
    ASSERT_EQ(c.logoRows.size(), 2u);
    EXPECT_EQ(c.logoRows[0].hyperlink, "https://example.org/");
    EXPECT_EQ(c.logoRows[0].x, 10);
    EXPECT_EQ(c.logoRows[1].image, "L2");
    EXPECT_EQ(c.logoRows[1].hyperlink, "");
    MainMenuConfig() = CMainMenuConfig();
}

TEST(MainMenuGreeting, TheNameShowsAsTypedAndReferencesAreExpandedFirst)
{
    GetStringTable().Set(136, "Welcome, stranger");
    GetStringTable().Set(137, "Hi %s (%i%%) $5 ");
    GetStringTable().Set(5, "friend");
    struct Case {
        std::string name, greeting;
    } cases[] = {
        {"Ann", "Hi Ann (%i%) friend"},
        // Codes and references inside the name are the player's text, not the table's.
        {"100%s %n %i", "Hi 100%s %n %i (%i%) friend"},
        {"$5 $$", "Hi $5 $$ (%i%) friend"},
        {"", "Hi  (%i%) friend"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MainMenuGreeting(&c.name), c.greeting);
    }
    EXPECT_EQ(MainMenuGreeting(nullptr), "Welcome, stranger");
    std::string longName(5000, 'x');
    EXPECT_EQ(MainMenuGreeting(&longName).size(), 4095u);
}

TEST_F(Menu, DescribedButtonsAreMadeInOrderAndTheLinkSitsUnderTheGreeting)
{
    CMainMenu menu;
    const std::vector<Olvarn::Widget*>& buttons = menu.Buttons();
    // "highscores" and "help" are not described: no button; the profile link comes last.
    ASSERT_EQ(buttons.size(), 4u);
    auto* play = dynamic_cast<CGameButton*>(buttons[0]);
    auto* options = dynamic_cast<CGameButton*>(buttons[1]);
    auto* quit = dynamic_cast<CGameButton*>(buttons[2]);
    ASSERT_TRUE(play && options && quit);
    EXPECT_EQ(play->mId, CMainMenu::kPlay);
    EXPECT_EQ(options->mId, CMainMenu::kOptions);
    EXPECT_EQ(quit->mId, CMainMenu::kQuit);
    // -1 takes the picture's size and a centred button sits on its x.
    EXPECT_EQ(Box(play), (std::vector<int>{392, 300, 240, 52}));
    EXPECT_EQ(Box(options), (std::vector<int>{100, 400, 120, 30}));
    EXPECT_EQ(play->mLabel, "Play");
    EXPECT_EQ(options->GetColor(1).mRed, 10);
    // Without its picture a -1 size is 0.
    EXPECT_EQ(quit->mWidth, 0);
    EXPECT_EQ(menu.ProfileLink(), buttons[3]);
    EXPECT_EQ(menu.ProfileLink()->mId, CMainMenu::kProfileLink);
    EXPECT_EQ(menu.ProfileLink()->mLabel, "Change player");
    EXPECT_EQ(menu.ProfileLink()->mY, int(menu.GreetingY() + 10));
    EXPECT_EQ(menu.ProfileLink()->mX, 512 - menu.ProfileLink()->mWidth / 2);
}

TEST_F(Menu, TheGreetingFollowsTheCurrentProfileAtTheNextUpdate)
{
    CMainMenu menu;
    EXPECT_EQ(menu.Greeting(), GetStringTable().Expand("$136"));
    AddProfile("Zoe %s");
    menu.Update();
    EXPECT_EQ(menu.Greeting(), "Hello Zoe %s, friend");
    EXPECT_GT(menu.GreetingY(), 0);
    EXPECT_FLOAT_EQ(menu.GreetingX(), 512 - float(mResources.FindFont("FONT_GREET")->TextWidth(menu.Greeting())) / 2);
}

TEST_F(Menu, LogosTakeIdsFromEightAndOnlyThoseWithAnAddressAct)
{
    MainMenuConfig().logoRows = {{"IMAGE_LOGO", 806, 690, "https://example.org/"}, {"IMAGE_LOGO", 10, 20, ""}};
    CMainMenu menu;
    ASSERT_EQ(menu.LogoLinks().size(), 2u);
    const auto& first = *menu.LogoLinks()[0].button;
    const auto& second = *menu.LogoLinks()[1].button;
    EXPECT_EQ(first.mId, 8);
    EXPECT_EQ(second.mId, 9);
    EXPECT_EQ(Box(&first), (std::vector<int>{806, 690, 200, 60}));
    EXPECT_FALSE(first.mIsDisabled);
    EXPECT_TRUE(second.mIsDisabled);
    menu.OnButtonRelease(9);
    EXPECT_TRUE(mOpened.empty());
    menu.OnButtonRelease(8);
    EXPECT_EQ(mOpened, (std::vector<std::string>{"https://example.org/"}));
    // Every press clicks.
    EXPECT_EQ(std::count(mApp.mSounds.begin(), mApp.mSounds.end(), 3), 2);
}

TEST_F(Menu, TheSceneDrawsItsPicturesBetweenSunAndParticlesAndTopOnesAboveTheMenu)
{
    MainMenuConfig().pictureRows = {{"IMAGE_PICTURE", 10, 20, 500},
                                    {"IMAGE_PICTURE", 30, 40, CMainMenuPictureRow::kTop},
                                    {"IMAGE_NOT_LOADED", 0, 0, 2}};
    MainMenuConfig().waterY = 650;
    MainMenuConfig().waterZ = 4;
    CMainMenu menu;
    mApp.mWidgetManager->AddWidget(&menu);
    CMainMenuScene& scene = menu.Scene();
    ASSERT_EQ(scene.LayerImages().size(), 2u);
    ASSERT_EQ(scene.TopPictures().size(), 1u);
    EXPECT_EQ(scene.Water().GetY(), 650);
    EXPECT_EQ(scene.WaterLayer(), 4);

    std::vector<int> layers;
    for (CLayerObject* object : CLayerRegistry::Instance().Objects())
        layers.push_back(object->GetLayer());
    EXPECT_EQ(layers, (std::vector<int>{1, 2, 4, 500, 1000}));
    EXPECT_TRUE(scene.LayerImages()[0]->image.GetFlags() & CImage::SMOOTH_ANIMATION);

    // Buttons first, then the top picture, the snow last: each drawn over the one before.
    auto& children = mApp.mWidgetManager->mChildren;
    auto at = [&](Olvarn::Widget* w) {
        return std::distance(children.begin(), std::find(children.begin(), children.end(), w));
    };
    EXPECT_LT(at(menu.Buttons().back()), at(scene.TopPictures()[0].get()));
    EXPECT_LT(at(scene.TopPictures()[0].get()), at(&scene.SnowWidget()));
    EXPECT_EQ(scene.TopPictures()[0]->image.GetPosition().x, 30);

    // A picture that is not loaded draws nothing; the loaded ones do.
    shelltest::RecordingImage screen;
    Olvarn::Graphics g(&screen);
    CLayerRegistry::Instance().DrawAll(g);
    size_t pictures = std::count_if(screen.mBlits.begin(), screen.mBlits.end(),
                                    [](const auto& b) { return b.source.mWidth == 50 && b.source.mHeight == 40; });
    EXPECT_EQ(pictures, 1u);

    mApp.mWidgetManager->RemoveWidget(&menu);
}

TEST_F(Menu, LeavingTheWidgetTreeTakesTheButtonsAndLogosAlong)
{
    MainMenuConfig().logoRows = {{"IMAGE_LOGO", 0, 0, "x"}};
    auto menu = std::make_unique<CMainMenu>();
    Olvarn::WidgetManager& manager = *mApp.mWidgetManager;
    manager.AddWidget(menu.get());
    size_t withMenu = manager.mChildren.size();
    EXPECT_EQ(manager.mChildren.front(), menu.get());
    manager.RemoveWidget(menu.get());
    // The scene's snow stays with the scene until the menu goes.
    EXPECT_EQ(manager.mChildren.size(), withMenu - 1 - menu->Buttons().size() - 1);
    menu.reset();
    EXPECT_TRUE(manager.mChildren.empty());
}
