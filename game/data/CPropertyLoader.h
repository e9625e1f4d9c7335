// The property files: one reader that knows every component's elements, and the fixed order in
// which the files are read and handed to the components.
#pragma once

#include <exception>
#include <initializer_list>
#include <memory>
#include <string>

namespace Olvarn
{
class OlvarnAppBase;
class ResourceManager;
} // namespace Olvarn

namespace tilvan
{

class CXmlDataReader;

// The components that take rows from the property files, in declaration order. Each is built by
// its own subsystem, which hands its two functions over at start-up (SetPropertyComponent); one
// that is not there is skipped.
enum class EPropertyComponent {
    ElementConfig,
    Animals,
    Bonuses,
    InfoPanel,
    MainMenuImages,
    MainMenuLogo,
    LevelMap,
    PearlCreator,
    Birds,
    ElementCreator,
    Sun,
    GuiDescriptions,
    Count
};

struct CPropertyComponent {
    void (*declare)(CXmlDataReader& reader) = nullptr;
    void (*load)(CXmlDataReader& reader, Olvarn::OlvarnAppBase* application) = nullptr;
    // Runs once every file is read: rows of one file may refer to rows of any other, so whole
    // definitions (levels and their tables) are only checked here. Throws what it rejects.
    void (*check)() = nullptr;
};

void SetPropertyComponent(EPropertyComponent component, CPropertyComponent functions);
CPropertyComponent GetPropertyComponent(EPropertyComponent component);

// The application's resource manager, for the component loaders (set by the loader's constructor).
extern Olvarn::ResourceManager* g_pPropertyResources;

class CPropertyLoader
{
public:
    // Has every component declare its elements; reads nothing yet.
    explicit CPropertyLoader(Olvarn::OlvarnAppBase* application);
    ~CPropertyLoader();
    CPropertyLoader(const CPropertyLoader&) = delete;
    CPropertyLoader& operator=(const CPropertyLoader&) = delete;

    // Reads the property files in their fixed order. A required file that cannot be read throws
    // the reader's text; a component's error in a required file leaves as it was thrown. An
    // optional file's failure skips the rest of that file. Then every component's check runs.
    void Load();

    CXmlDataReader& Reader() { return *mReader; }

    // The folder the "properties" files are read from ("" is the current folder).
    void SetBaseFolder(const std::string& folder) { mBaseFolder = folder; }

private:
    // A loader of a file: a component, or the level definitions.
    struct Step {
        EPropertyComponent component;
        bool levels;
    };
    void LoadFile(const char* file, bool required, std::initializer_list<Step> steps);
    std::string PathOf(const char* file) const;
    void LogRejected(const char* file, bool required, std::exception_ptr error) const;

    Olvarn::OlvarnAppBase* mApplication;
    std::unique_ptr<CXmlDataReader> mReader;
    std::string mBaseFolder;
};

} // namespace tilvan
