// Renders the help window's two pages, and a hint bubble over the first, to PNG files, so the help
// script and its art can be looked at without playing. Run it in the laid-out data folder:
//   cd build/bin && SDL_VIDEODRIVER=dummy ./tamberlo-helpshot OUTDIR/PREFIX [MS]
// writes PREFIX-page1.png, PREFIX-hint.png, PREFIX-credits.png and PREFIX-page2.png; MS is how long each page runs
// before its picture is taken (default 2500).
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/OlvarnAppBase.h"
#include "data/CConstantsRegistry.h"
#include "data/CXmlDataReader.h"
#include "graphics/DDInterface.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/DisplayFake.h"
#include "resources/ImageLib.h"
#include "resources/ResourceManager.h"
#include "shell/CCreditsDialog.h"
#include "shell/CGameButton.h"
#include "shell/CGuiDescriptions.h"
#include "shell/CHelpWindow.h"
#include "shell/CHint.h"
#include "shell/GameServices.h"

namespace
{

// The framework's application on a display that shows nothing: the resources load, the window draws
// into memory.
class ShotApp : public Olvarn::OlvarnAppBase
{
public:
    ShotApp()
    {
        mWidth = 1024;
        mHeight = 768;
        mDDInterface = new Olvarn::DDInterface(this, GetDisplayOptions(), std::make_unique<Olvarn::DisplayFake>());
        tilvan::services::InstallFrameworkApp(this);
    }
    ~ShotApp() override { tilvan::services::InstallFrameworkApp(nullptr); }
};

void Run(tilvan::CHelpWindow& window, int ms)
{
    for (int t = 0; t < ms; t += 10)
        window.Update();
}

void DrawWindow(Olvarn::Graphics& g, tilvan::CHelpWindow& window)
{
    window.Draw(g);
    for (int id : {0, 1, 2, 3}) {
        tilvan::CGameButton* button = window.Button(id);
        Olvarn::GraphicsStateSaver saver(g);
        g.Translate(button->mX, button->mY);
        button->Draw(g);
    }
}

bool Save(Olvarn::MemoryImage& canvas, const std::string& path)
{
    ImageLib::Image image;
    if (!image.Create(canvas.mWidth, canvas.mHeight))
        return false;
    const uint32_t* bits = canvas.GetBits();
    std::copy(bits, bits + size_t(canvas.mWidth) * size_t(canvas.mHeight), image.GetBits());
    bool ok = ImageLib::SavePng(path, image);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", path.c_str());
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: tamberlo-helpshot OUTDIR/PREFIX [MS]\n");
        return 2;
    }
    const std::string out = argv[1];
    const int ms = argc > 2 ? std::atoi(argv[2]) : 2500;
    ShotApp app;
    if (!app.mResourceManager->ReadManifest("properties/resources.xml")) {
        std::fprintf(stderr, "resources: %s\n", app.mResourceManager->ErrorMessage().c_str());
        return 1;
    }
    // Without a sound device the group stops at its first sound; its pictures come before the sounds
    // and the fonts are loaded one by one, which is all this needs.
    app.mResourceManager->LoadGroup("General");
    for (const auto& entry : app.mResourceManager->Fonts())
        if (entry.second->mResGroup == "General" && !entry.second->mFont)
            app.mResourceManager->LoadFontResource(entry.second.get());
    tilvan::CConstantsRegistry::Instance().Load("properties/constants.xml");
    tilvan::CXmlDataReader reader;
    tilvan::CGuiDescriptions::DeclareSchema(reader);
    try {
        reader.LoadFile("properties/gui.xml");
        tilvan::CGuiDescriptions::Instance().Load(reader, &app);
    } catch (...) {
        std::fprintf(stderr, "properties/gui.xml could not be read: no credits\n");
    }

    Olvarn::MemoryImage canvas;
    canvas.Create(1024, 768);
    bool ok = true;
    {
        tilvan::CHelpWindow window(nullptr, true);
        Run(window, ms);
        Olvarn::Graphics g(&canvas);
        DrawWindow(g, window);
        ok = Save(canvas, out + "-page1.png") && ok;

        // A hint bubble as the events script attaches them, pointing at the pipeline. The anchor is
        // near the right edge, so the bubble lies to its left: a memory image draws no mirrored
        // pictures (the display does), and a bubble to the right has a mirrored arrow.
        tilvan::CHint::SetFont(tilvan::services::FindFont("FONT_TEXT"));
        tilvan::CHint hint(930, 190, 300, 40, "Click a piece in the water to pick it up.", false, false, 0, 0, false);
        hint.AddImage("IMAGE_HELP_PEARL", 256, 12);
        hint.Update();
        {
            Olvarn::GraphicsStateSaver saver(g);
            g.Translate(hint.mX, hint.mY);
            hint.Draw(g);
        }
        ok = Save(canvas, out + "-hint.png") && ok;

        // The credits over the page, with their button where the window puts it on opening.
        {
            tilvan::CCreditsDialog credits;
            Olvarn::GraphicsStateSaver saver(g);
            g.Translate(credits.mX, credits.mY);
            credits.Draw(g);
            g.Translate(-credits.mX, -credits.mY);
            for (Olvarn::Widget* widget : credits.Widgets()) {
                Olvarn::GraphicsStateSaver inner(g);
                g.Translate(credits.mX + widget->mX, credits.mY + widget->mY);
                widget->Draw(g);
            }
        }
        ok = Save(canvas, out + "-credits.png") && ok;

        window.OnButtonRelease(tilvan::CHelpWindow::BUTTON_PAGE2);
        Run(window, ms);
        Olvarn::Graphics g2(&canvas);
        DrawWindow(g2, window);
        ok = Save(canvas, out + "-page2.png") && ok;
    }
    app.mResourceManager->UnloadGroup("");
    return ok ? 0 : 1;
}
