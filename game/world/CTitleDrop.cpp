// The title drop's maker, and the unshown drop used while no animated text is installed.
#include "world/CTitleDrop.h"

namespace tilvan
{

namespace
{

// Keeps the letters' timing (so the sequences wait for titles as long as they would be seen) and
// shows nothing.
class CUnshownTitleDrop : public CTitleDrop
{
public:
    void AddText(const std::string& text, Olvarn::OlvarnVector2, float, Olvarn::Color, float, int, int) override
    {
        letters += int(text.size());
    }
    int DropOut(float, int duration, int step) override { return duration + step * (letters - 1); }
    void Update(float) override {}

private:
    int letters = 0;
};

TitleDropMaker& Maker()
{
    static TitleDropMaker maker;
    return maker;
}

} // namespace

void SetTitleDropMaker(TitleDropMaker maker)
{
    Maker() = std::move(maker);
}

std::shared_ptr<CTitleDrop> MakeTitleDrop(Olvarn::Font* font)
{
    if (Maker())
        if (auto drop = Maker()(font))
            return drop;
    return std::make_shared<CUnshownTitleDrop>();
}

} // namespace tilvan
