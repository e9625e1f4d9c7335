// The draw-layer registry and its objects.
#include "shell/CLayerObject.h"

#include <algorithm>

#include <loki/Singleton.h>

namespace tilvan
{

CLayerObject::CLayerObject(bool visible_, int layer_) : visible(visible_), layer(layer_)
{
    CLayerRegistry::Instance().Insert(this);
}

CLayerObject::CLayerObject(const CLayerObject& other) : visible(other.visible), layer(other.layer)
{
    CLayerRegistry::Instance().Insert(this);
}

CLayerObject::~CLayerObject()
{
    CLayerRegistry::Instance().Remove(this);
}

void CLayerObject::SetLayer(int layer_)
{
    layer = layer_;
    CLayerRegistry::Instance().Remove(this);
    CLayerRegistry::Instance().Insert(this);
}

CLayerRegistry& CLayerRegistry::Instance()
{
    return Loki::SingletonHolder<CLayerRegistry>::Instance();
}

void CLayerRegistry::Insert(CLayerObject* object)
{
    auto it = objects.begin();
    while (it != objects.end() && object->GetLayer() >= (*it)->GetLayer())
        ++it;
    objects.insert(it, object);
}

void CLayerRegistry::Remove(CLayerObject* object)
{
    auto it = std::find(objects.begin(), objects.end(), object);
    if (it != objects.end())
        objects.erase(it);
}

void CLayerRegistry::DrawAll(Olvarn::Graphics& g)
{
    for (CLayerObject* object : objects)
        if (object->visible)
            object->Draw(g);
}

CLayerImage::CLayerImage(const std::string& imageName, Olvarn::OlvarnVector2 position_, int layer_)
    : CLayerObject(true, layer_), image(imageName, 0, 0), position(position_)
{
}

void CLayerImage::Draw(Olvarn::Graphics& g)
{
    image.DrawAt(g, int(position.x), int(position.y));
}

} // namespace tilvan
