// What an edit box asks and tells its owner: Enter, and vetoes of keys, characters and whole texts.
#pragma once

#include <string>

namespace Olvarn
{

class TextEditListener
{
public:
    virtual ~TextEditListener() = default;

    virtual void OnEditTextEntered(int id, const std::string& text) {}
    // False drops the key before it is processed.
    virtual bool AllowKey(int id, int key) { return true; }
    // False drops a typed or pasted character.
    virtual bool AllowChar(int id, char c) { return true; }
    // False rolls the text, caret and selection back to what they were before the key.
    virtual bool AllowText(int id, const std::string& text) { return true; }
};

} // namespace Olvarn
