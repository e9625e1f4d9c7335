// Scene objects drawn in layer order: each registers itself in one process-wide list kept sorted by
// layer, and a screen draws the whole scene with one walk of the list.
#pragma once

#include <list>
#include <string>

#include "core/Vector2.h"
#include "shell/CImage.h"

namespace Olvarn
{
class Graphics;
}

namespace tilvan
{

class CLayerObject
{
public:
    CLayerObject(bool visible, int layer);
    CLayerObject(const CLayerObject& other);
    CLayerObject& operator=(const CLayerObject&) = delete;
    // Virtual: scene owners may delete an object through this base.
    virtual ~CLayerObject();

    virtual void Draw(Olvarn::Graphics& g) {}

    // Moves the object behind every other object of its new layer.
    void SetLayer(int layer);
    int GetLayer() const { return layer; }

    bool visible;

protected:
    int layer;
};

class CLayerRegistry
{
public:
    static CLayerRegistry& Instance();

    // After every object of the same or a lower layer.
    void Insert(CLayerObject* object);
    void Remove(CLayerObject* object);
    void DrawAll(Olvarn::Graphics& g);
    // Forgets every object without destroying any.
    void Clear() { objects.clear(); }
    const std::list<CLayerObject*>& Objects() const { return objects; }

private:
    std::list<CLayerObject*> objects;
};

class CLayerImage : public CLayerObject
{
public:
    CLayerImage(const std::string& imageName, Olvarn::OlvarnVector2 position, int layer);

    void SetPosition(float x, float y) { position = Olvarn::OlvarnVector2(x, y); }
    void Draw(Olvarn::Graphics& g) override;

    CImage image;
    Olvarn::OlvarnVector2 position;
};

} // namespace tilvan
