// One top-level mode of the game screen (the level map, or a level being played), and the small view
// of the game screen that a state talks to.
#pragma once

#include "data/CSaveObject.h"
#include "shell/CStateHash.h"

namespace Olvarn
{
class Graphics;
}

namespace tilvan
{

class CGameState;

// The screen hosting the states, as they reach it.
class CGameStateHost
{
public:
    virtual ~CGameStateHost() = default;
    // The state takes over at the next update once the group "Game" is loaded.
    virtual void SetState(CGameState* next) = 0;
    virtual void ReturnToMainMenu() = 0;
    virtual bool IsLoaded() const = 0;
    // The group "Game" could not be loaded: waiting for it would never end.
    virtual bool LoadingFailed() const = 0;
    virtual void AbortLoading() = 0;
};

class CGameState : public save::CSaveObject
{
public:
    int GetClassId() const override { return -1; }

    virtual void GotFocus() {}
    virtual void LostFocus() {}
    virtual void SetFlags(bool value) { flag = value; }
    virtual void OnLoaded() {}
    virtual void Activate() {}
    virtual void Deactivate() {}
    virtual void Draw(Olvarn::Graphics& g) {}
    virtual void Update() {}
    virtual void UpdateF(float ms) {}
    virtual void ButtonDepress(int id) {}
    virtual void MouseDown(int x, int y, int clicks) {}
    virtual void MouseUp(int x, int y, int clicks) {}
    virtual void MouseMove(int x, int y) {}
    virtual void MouseDrag(int x, int y) { MouseMove(x, y); }
    virtual void KeyDown(int key) {}
    virtual void MouseWheel(int delta) {}
    virtual bool IsSaveable() const { return true; }
    // Adds what the state plays to the replay check's hash of every update.
    virtual void AddStateHash(CStateHash& hash) const {}

    void SetOwner(CGameStateHost* host) { owner = host; }
    CGameStateHost* GetOwner() const { return owner; }

protected:
    CGameStateHost* owner = nullptr;
    bool flag = false;
};

} // namespace tilvan
