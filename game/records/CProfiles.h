// Every profile of the installation, the current one, and the profiles file "saves/profiles.xml".
#pragma once

#include <list>
#include <string>

#include "records/CProfile.h"

namespace tilvan
{

class CProfiles : public save::CSaveObject
{
public:
    static constexpr const char* kFile = "saves/profiles.xml";

    // Empty, nothing current; then reads the file when asked to.
    explicit CProfiles(bool load = true);

    // The process-wide profiles, read from the file when first asked for.
    static CProfiles& Instance();

    // Reads the profiles file; a damaged one is moved aside and its backup used (see LoadProblem).
    void Load(int row = 0) override;
    // Writes the profiles file (the old one kept as ".bak"); 0, or -1 when it could not be written.
    int Save() override;

    // The profiles file's bytes as stored (transformed): true and the list replaced when they parse;
    // false and nothing changed otherwise. Rows the list names that the file lacks are skipped.
    bool Parse(const std::string& bytes);

    // The text to show the player when the last Load found a damaged file; "" otherwise.
    const std::string& LoadProblem() const { return mLoadProblem; }

    int GetCount() const { return static_cast<int>(mProfiles.size()); }
    CProfile* GetCurrentProfile() { return mCurrent; }
    // The current profile, or the first one made current when none is; null without profiles.
    CProfile* EnsureCurrentProfile();
    CProfile* GetProfile(int position);
    // The first profile of exactly that name.
    CProfile* FindProfile(const std::string& name);
    void SetCurrentProfile(const std::string& name);
    // A name the dialogs accept: 1 to 20 bytes, no control bytes.
    static bool IsValidName(const std::string& name);
    // Appends a new profile; null (nothing added) for a name that is not valid.
    CProfile* AddProfile(const std::string& name, bool makeCurrent);
    // False when no profile has the old name or the new name is not valid.
    bool RenameProfile(const std::string& oldName, const std::string& newName);
    // Removes the profile and its saved game; the current profile stays unless it is the one removed.
    void DeleteProfile(const std::string& name);
    int GetFreeSaveNumber() const;
    void RaiseMaxLevel(int level);

    bool SaveGame(save::CSaveObject& game);
    bool LoadGame(save::CSaveObject& game, std::string* problem = nullptr);

private:
    // Addresses stay valid while an entry exists.
    std::list<CProfile> mProfiles;
    CProfile* mCurrent = nullptr;
    std::string mLoadProblem;
};

} // namespace tilvan
