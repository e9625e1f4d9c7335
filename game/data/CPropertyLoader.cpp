// The property loader: declarations in component order, files in their fixed order.
#include "data/CPropertyLoader.h"

#include "app/OlvarnAppBase.h"
#include "data/CConstantsRegistry.h"
#include "data/CLevelInfo.h"
#include "data/CXmlDataReader.h"
#include "platform/Log.h"

namespace tilvan
{

Olvarn::ResourceManager* g_pPropertyResources = nullptr;

namespace
{

CPropertyComponent gComponents[static_cast<int>(EPropertyComponent::Count)];

using C = EPropertyComponent;

} // namespace

void SetPropertyComponent(EPropertyComponent component, CPropertyComponent functions)
{
    gComponents[static_cast<int>(component)] = functions;
}

CPropertyComponent GetPropertyComponent(EPropertyComponent component)
{
    return gComponents[static_cast<int>(component)];
}

CPropertyLoader::CPropertyLoader(Olvarn::OlvarnAppBase* application)
    : mApplication(application), mReader(new CXmlDataReader)
{
    g_pPropertyResources = application ? application->mResourceManager : nullptr;
    auto declare = [this](EPropertyComponent component) {
        if (auto fn = GetPropertyComponent(component).declare)
            fn(*mReader);
    };
    declare(C::ElementConfig);
    DeclareLevelSchema(*mReader);
    for (C component : {C::Animals, C::Bonuses, C::InfoPanel, C::MainMenuImages, C::MainMenuLogo, C::LevelMap,
                        C::PearlCreator, C::Birds, C::ElementCreator, C::Sun, C::GuiDescriptions})
        declare(component);
}

CPropertyLoader::~CPropertyLoader() = default;

std::string CPropertyLoader::PathOf(const char* file) const
{
    return mBaseFolder.empty() ? std::string(file) : mBaseFolder + "/" + file;
}

void CPropertyLoader::LoadFile(const char* file, bool required, std::initializer_list<Step> steps)
{
    try {
        mReader->LoadFile(PathOf(file));
    } catch (...) {
        // The reader has logged what is wrong with the file.
        if (required)
            throw;
        return;
    }
    try {
        for (const Step& step : steps) {
            if (step.levels) {
                LoadLevels(*mReader, mApplication);
            } else if (auto fn = GetPropertyComponent(step.component).load) {
                fn(*mReader, mApplication);
            }
        }
    } catch (...) {
        // A required file's fault stops the start with the component's own text; an optional
        // file that a component rejects leaves the rest of it unread. Either way the log names it.
        LogRejected(file, required, std::current_exception());
        mReader->Clear();
        if (required)
            throw;
        return;
    }
    mReader->Clear();
}

void CPropertyLoader::LogRejected(const char* file, bool required, std::exception_ptr error) const
{
    std::string text = "unknown error";
    try {
        std::rethrow_exception(error);
    } catch (const char* thrown) {
        text = thrown;
    } catch (const std::exception& e) {
        text = e.what();
    } catch (...) {
    }
    Olvarn::LogWrite(required ? Olvarn::LogLevel::Error : Olvarn::LogLevel::Warning, "%s: %s%s", PathOf(file).c_str(),
                     text.c_str(), required ? "" : " (the rest of the file is skipped)");
}

void CPropertyLoader::Load()
{
    const Step levels{C::Count, true};
    CConstantsRegistry::Instance().Load(PathOf("properties/constants.xml"));
    LoadFile(
        "properties\\config.xml", true,
        {{C::ElementConfig, false}, levels, {C::PearlCreator, false}, {C::ElementCreator, false}, {C::Sun, false}});
    LoadFile("properties\\data.xml", true, {{C::ElementConfig, false}, levels});
    LoadFile("properties\\level_config.xml", true, {levels});
    LoadFile("properties\\offsets.xml", false, {{C::ElementConfig, false}});
    LoadFile("properties\\locations.xml", false, {levels});
    LoadFile("properties\\animals.xml", false, {{C::Animals, false}, {C::Bonuses, false}, {C::Birds, false}});
    LoadFile("properties\\gui.xml", false, {{C::InfoPanel, false}, {C::GuiDescriptions, false}, {C::LevelMap, false}});
    LoadFile("properties\\mainmenu.xml", false, {{C::MainMenuImages, false}, {C::GuiDescriptions, false}});
    LoadFile("properties\\branches", false, {{C::MainMenuLogo, false}, {C::MainMenuImages, false}});
    CConstantsRegistry::Instance().Load(PathOf("properties\\branches"));
    for (const CPropertyComponent& component : gComponents)
        if (component.check)
            component.check();
}

} // namespace tilvan
