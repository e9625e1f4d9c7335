// The profile list and its file.
#include "records/CProfiles.h"

#include <memory>
#include <vector>

#include "data/DataCodecs.h"
#include "platform/Log.h"
#include "records/PlayerFiles.h"
#include "records/RecordsSaveClasses.h"

namespace tilvan
{

using save::SaveReader;
using save::SaveWriter;

CProfiles::CProfiles(bool load)
{
    RegisterRecordsSaveClasses();
    if (load)
        Load();
}

CProfiles& CProfiles::Instance()
{
    static CProfiles profiles;
    return profiles;
}

bool CProfiles::Parse(const std::string& stored)
{
    std::string text = stored;
    XmlDataCrypt(text);
    CXmlDataReader& reader = SaveReader();
    std::list<CProfile> fresh;
    std::string current;
    bool ok = true;
    try {
        reader.LoadFromMemory(text);
        std::string all;
        if (!reader.FindRow("profiles", 0))
            throw "The profiles file names no profiles";
        reader.GetRow("profiles", 0, all, current);
        std::vector<int> rows;
        ParseIntList(all, rows);
        for (int row : rows) {
            // A row the list names but the file lacks would be a profile of nobody.
            if (!reader.FindRow("profile", row))
                continue;
            fresh.emplace_back();
            fresh.back().Load(row);
        }
    } catch (const char* error) {
        Olvarn::LogWrite(Olvarn::LogLevel::Error, "Profiles file: %s", error);
        ok = false;
    } catch (const std::exception& e) {
        Olvarn::LogWrite(Olvarn::LogLevel::Error, "Profiles file: %s", e.what());
        ok = false;
    }
    reader.Clear();
    if (!ok)
        return false;
    mProfiles = std::move(fresh);
    mCurrent = nullptr;
    SetCurrentProfile(Base64DecodeToString(current.c_str()));
    return true;
}

void CProfiles::Load(int)
{
    std::string path = records::UserDataPath(kFile);
    records::CPlayerFileRead read = records::ReadPlayerFile(path, [this](const std::string& b) { return Parse(b); });
    mLoadProblem = records::DamagedFileMessage(read, path);
}

int CProfiles::Save()
{
    std::string path = records::UserDataPath(kFile);
    records::KeepBackup(path);
    CXmlDataWriter& writer = SaveWriter();
    if (!writer.Open(path, true, "")) {
        Olvarn::LogWrite(Olvarn::LogLevel::Error, "Profiles not saved: %s", writer.LastError().c_str());
        return -1;
    }
    std::vector<int> rows;
    for (CProfile& profile : mProfiles)
        rows.push_back(profile.Save());
    int row = writer.WriteRow("profiles", IntListText(rows) + " ",
                              Base64EncodeString(mCurrent ? mCurrent->name : std::string()));
    if (!writer.Close()) {
        Olvarn::LogWrite(Olvarn::LogLevel::Error, "Profiles not saved: %s", writer.LastError().c_str());
        return -1;
    }
    return row;
}

CProfile* CProfiles::EnsureCurrentProfile()
{
    if (!mCurrent && !mProfiles.empty())
        mCurrent = &mProfiles.front();
    return mCurrent;
}

CProfile* CProfiles::GetProfile(int position)
{
    if (position < 0 || position >= GetCount())
        return nullptr;
    auto it = mProfiles.begin();
    std::advance(it, position);
    return &*it;
}

CProfile* CProfiles::FindProfile(const std::string& name)
{
    for (CProfile& profile : mProfiles)
        if (profile.name == name)
            return &profile;
    return nullptr;
}

void CProfiles::SetCurrentProfile(const std::string& name)
{
    if (CProfile* profile = FindProfile(name))
        mCurrent = profile;
}

bool CProfiles::IsValidName(const std::string& name)
{
    if (name.empty() || name.size() > CProfile::kMaxNameLength)
        return false;
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20)
            return false;
    return true;
}

CProfile* CProfiles::AddProfile(const std::string& name, bool makeCurrent)
{
    if (!IsValidName(name))
        return nullptr;
    mProfiles.emplace_back(name);
    if (makeCurrent)
        mCurrent = &mProfiles.back();
    return &mProfiles.back();
}

bool CProfiles::RenameProfile(const std::string& oldName, const std::string& newName)
{
    CProfile* profile = FindProfile(oldName);
    if (!profile || !IsValidName(newName))
        return false;
    profile->name = newName;
    return true;
}

void CProfiles::DeleteProfile(const std::string& name)
{
    CProfile* profile = FindProfile(name);
    if (!profile)
        return;
    if (mCurrent && mCurrent->name == profile->name)
        mCurrent = nullptr;
    profile->DeleteSavedGame();
    mProfiles.remove_if([profile](const CProfile& p) { return &p == profile; });
}

int CProfiles::GetFreeSaveNumber() const
{
    for (int n = 0;; ++n) {
        bool taken = false;
        for (const CProfile& profile : mProfiles)
            taken = taken || profile.save_file_num == n;
        if (!taken)
            return n;
    }
}

void CProfiles::RaiseMaxLevel(int level)
{
    if (mCurrent && mCurrent->max_level < level)
        mCurrent->max_level = level;
}

bool CProfiles::SaveGame(save::CSaveObject& game)
{
    return mCurrent && mCurrent->SaveGame(game, GetFreeSaveNumber());
}

bool CProfiles::LoadGame(save::CSaveObject& game, std::string* problem)
{
    return mCurrent && mCurrent->LoadGame(game, problem);
}

} // namespace tilvan
