// System message boxes. Without a visible screen the box is written to standard error and its
// default button answers.
#pragma once

#include <string>

namespace Olvarn
{

class Window;

// Flags and answers in the numbering the framework's callers use.
constexpr int MB_OK = 0x0;
constexpr int MB_OKCANCEL = 0x1;
constexpr int MB_YESNOCANCEL = 0x3;
constexpr int MB_YESNO = 0x4;
constexpr int MB_ICONERROR = 0x10;
constexpr int MB_ICONQUESTION = 0x20;
constexpr int MB_ICONWARNING = 0x30;
constexpr int MB_ICONINFORMATION = 0x40;
constexpr int MB_DEFBUTTON2 = 0x100;
constexpr int MB_DEFBUTTON3 = 0x200;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

class MessageBox
{
public:
    // text and title are Windows-1252. Answers the id of the button chosen.
    static int Show(const std::string& text, const std::string& title, int flags, Window* owner);
    // The answer a headless run gives: the default button of the flags.
    static int DefaultAnswer(int flags);
};

} // namespace Olvarn
