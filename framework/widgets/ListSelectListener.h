// What a list box reports: clicks on a line, its removal from the manager and hilite changes.
#pragma once

namespace Olvarn
{

class ListSelectListener
{
public:
    virtual ~ListSelectListener() = default;

    // clickCode: 1 left, 2 left double, -1 right, -2 right double, 3 middle.
    virtual void OnListClicked(int id, int lineIndex, int clickCode) {}
    virtual void OnListClosed(int id) {}
    // -1 stands for no line.
    virtual void OnListHiliteChanged(int id, int oldIndex, int newIndex) {}
};

} // namespace Olvarn
