// Pictures of the help pages.
#include "shell/CEventImage.h"

#include "shell/HelpActions.h"

namespace tilvan
{

CEventImage::CEventImage(const std::string& resourceId, int layer_, const Olvarn::OlvarnVector2& position, float angle_)
    : CImage(resourceId), x(position.x), y(position.y), layer(layer_), angle(angle_)
{
}

CEventImage::~CEventImage() = default;

void CEventImage::Advance(float ms)
{
    // A std::list: actions appended by the calls below are met later in this same pass.
    for (auto it = actionList.begin(); it != actionList.end(); ++it)
        (*it)->Update(ms);
    actionList.remove_if([](const std::shared_ptr<actions::CAction>& a) { return a->finished; });
    Update(ms);
}

void CEventImage::DrawPicture(Olvarn::Graphics& g)
{
    if (angle != 0)
        DrawRotated(g, int(x), int(y), angle, -1, -1);
    else
        DrawAt(g, int(x), int(y));
}

void CEventImage::SetPos(const Olvarn::OlvarnVector2& position)
{
    x = position.x;
    y = position.y;
}

void CEventImage::SetAlphaValue(int value)
{
    alphaValue = value;
    SetAlpha(value);
}

void CEventImage::ChangeImage(const std::string& resourceId)
{
    CImage::operator=(resourceId);
}

} // namespace tilvan
