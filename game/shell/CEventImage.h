// A picture of the help pages: an animated image with a float position, a layer, an angle, an alpha
// that remembers the value last set, and the list of actions that animate it.
#pragma once

#include <list>
#include <memory>
#include <string>

#include "core/Vector2.h"
#include "shell/CImage.h"

namespace tilvan
{

namespace actions
{
class CAction;
}

class CEventImage : public CImage
{
public:
    CEventImage(const std::string& resourceId, int layer, const Olvarn::OlvarnVector2& position, float angle);
    ~CEventImage() override;

    // Appended actions run from the next update on; one appended during an update runs in it.
    void AddAction(std::shared_ptr<actions::CAction> action) { actionList.push_back(std::move(action)); }
    // Every action in order, then the finished ones go, then the picture's own animation.
    void Advance(float ms);
    // At the float position truncated, turned by the angle when it is not 0.
    void DrawPicture(Olvarn::Graphics& g);

    Olvarn::OlvarnVector2 GetPos() const { return Olvarn::OlvarnVector2(x, y); }
    void SetPos(const Olvarn::OlvarnVector2& position);
    float GetAngle() const { return angle; }
    void SetAngle(float value) { angle = value; }
    // The value as the script set it; the picture is drawn with it limited to 0..255.
    int GetAlphaValue() const { return alphaValue; }
    void SetAlphaValue(int value);
    int GetLayer() const { return layer; }
    // A new picture, its animation from the start.
    void ChangeImage(const std::string& resourceId);
    CImage* AsImage() { return this; }
    const std::list<std::shared_ptr<actions::CAction>>& Actions() const { return actionList; }

    float x;
    float y;
    int layer;
    float angle;

private:
    std::list<std::shared_ptr<actions::CAction>> actionList;
    int alphaValue = 255;
};

} // namespace tilvan
