// The lights and their list.
#include "world/CLight.h"

#include <algorithm>

namespace tilvan
{

CLight::CLight(float x_, float y_, Olvarn::Color color_) : x(x_), y(y_), color(color_) {}

CLight::~CLight()
{
    CLightList::Instance().Remove(this);
}

void CLight::SetPosition(float x_, float y_)
{
    x = x_;
    y = y_;
    CLightList::Instance().Refresh();
}

void CLight::SetColor(Olvarn::Color value)
{
    color = value;
    CLightList::Instance().Refresh();
}

CLightList& CLightList::Instance()
{
    // Made on first use and never destroyed: lights owned by other singletons may leave it at exit.
    static CLightList* list = new CLightList();
    return *list;
}

CLightList::CLightList()
{
    CElement::SetLights(&mBoardLights);
}

CLightList::~CLightList()
{
    CElement::SetLights(nullptr);
}

void CLightList::Add(CLight* light)
{
    mLights.push_back(light);
    Refresh();
}

void CLightList::Remove(CLight* light)
{
    const size_t before = mLights.size();
    mLights.erase(std::remove(mLights.begin(), mLights.end(), light), mLights.end());
    if (mLights.size() != before)
        Refresh();
}

void CLightList::Refresh()
{
    mBoardLights.clear();
    for (const CLight* light : mLights) {
        CBoardLight b;
        b.pos = light->GetPosition();
        const Olvarn::Color c = light->GetColor();
        b.r = c.GetRed();
        b.g = c.GetGreen();
        b.b = c.GetBlue();
        b.a = c.GetAlpha();
        mBoardLights.push_back(b);
    }
}

} // namespace tilvan
