// A text taken from a data file with its "$N" string references expanded.
#pragma once

#include <string>

namespace tilvan
{

class CLocalizedText
{
public:
    CLocalizedText() = default;

    const std::string& Get() const { return mText; }
    const char* c_str() const { return mText.c_str(); }
    operator const std::string&() const { return mText; }
    bool operator==(const CLocalizedText& other) const { return mText == other.mText; }

    // Only AssignLocalized fills it, so its text is always expanded.
    void SetExpanded(std::string text) { mText = std::move(text); }

private:
    std::string mText;
};

} // namespace tilvan
