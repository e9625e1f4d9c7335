// Saved objects: each class has an integer class id and one element of the "data" format; an
// object saves itself as one row, a parent stores its children's row numbers.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data/CXmlDataReader.h"
#include "data/CXmlDataWriter.h"

namespace tilvan
{
namespace save
{

class CSaveObject
{
public:
    virtual ~CSaveObject() = default;
    // Writes the object's row through the global writer (children first); the row's number.
    virtual int Save() { return -1; }
    // Reads the object's fields from that row of its element through the global reader.
    virtual void Load(int row) {}
    virtual int GetClassId() const { return -1; }
};

using CreatorFn = CSaveObject* (*)();
using ReaderSchemaFn = void (*)(CXmlDataReader&);
using WriterSchemaFn = void (*)(CXmlDataWriter&);

template <typename T> CSaveObject* CreateSaveObject()
{
    return new T();
}

// The one registry of saved classes; it owns the global save reader and writer.
class CSaveObjectRegistry
{
public:
    static CSaveObjectRegistry& Instance();

    // An id already present keeps its first creator; both schema functions run every time.
    void Register(CreatorFn creator, int classId, ReaderSchemaFn readerSchema, WriterSchemaFn writerSchema);
    // A new object of the class. An unregistered id throws the factory's "Unknown Type"; an id
    // registered without a creator throws a text (it cannot stand in a save as a created child).
    CSaveObject* CreateObject(int classId);
    bool IsRegistered(int classId) const;
    bool HasCreator(int classId) const;
    // Registered ids in registration order.
    const std::vector<int>& RegisteredIds() const { return mOrder; }

    CXmlDataReader& Reader() { return mReader; }
    CXmlDataWriter& Writer() { return mWriter; }

    CSaveObjectRegistry();
    ~CSaveObjectRegistry();

private:
    struct Impl;
    // Declared first so that it goes last: the writer, which may still complete a file at exit,
    // goes before the reader.
    CXmlDataReader mReader;
    CXmlDataWriter mWriter;
    std::unique_ptr<Impl> mImpl;
    std::vector<int> mOrder;
};

// One per saved class, built by the start-up registrations; it has no state.
class CSaveObjectRegistrar
{
public:
    CSaveObjectRegistrar(CreatorFn creator, int classId, ReaderSchemaFn readerSchema, WriterSchemaFn writerSchema);
};

// The global reader and writer, set by the first registration (null before it).
extern CXmlDataReader* g_pSaveReader;
extern CXmlDataWriter* g_pSaveWriter;
CXmlDataReader& SaveReader();
CXmlDataWriter& SaveWriter();

// Row getter outs for children: an existing child that loads the row named by the text, and a
// child created by the class id in the text ("id row ").
struct CChildOut {
    CSaveObject& child;
};
inline CChildOut Child(CSaveObject& child)
{
    return CChildOut{child};
}

template <typename T> struct CPolymorphicOut {
    T*& out;
};
template <typename T> CPolymorphicOut<T> Polymorphic(T*& out)
{
    return CPolymorphicOut<T>{out};
}
// The owning form: a later field of the same row that fails cannot leak the made child.
template <typename T> struct COwnedPolymorphicOut {
    std::unique_ptr<T>& out;
};
template <typename T> COwnedPolymorphicOut<T> Polymorphic(std::unique_ptr<T>& out)
{
    return COwnedPolymorphicOut<T>{out};
}

void LoadChildObject(const std::string& text, CSaveObject& child);
// Creates the object of the class id and has it load the row; the pointer is set only when the
// load succeeded, and only to an object of the expected kind (else the save is damaged: throws).
template <typename T> void LoadPolymorphicChild(const std::string& text, T*& out);
CSaveObject* LoadPolymorphicObject(const std::string& text, bool& present);

inline void ConvertText(const std::string& text, const CChildOut& child)
{
    LoadChildObject(text, child.child);
}
template <typename T> void ConvertText(const std::string& text, const CPolymorphicOut<T>& child)
{
    LoadPolymorphicChild(text, child.out);
}
template <typename T> void ConvertText(const std::string& text, const COwnedPolymorphicOut<T>& child)
{
    T* made = nullptr;
    LoadPolymorphicChild(text, made);
    if (made)
        child.out.reset(made);
}

// Row writer values for children. Function arguments are evaluated in no fixed order, so a row
// that holds children passes them as save::Child(...) / save::PolymorphicChild(...): the writer
// then saves them in attribute order, and two children of one element get rows 0 and 1 in order.
struct CPolymorphicIn {
    CSaveObject* child;
};
inline CPolymorphicIn PolymorphicChild(CSaveObject* child)
{
    return CPolymorphicIn{child};
}
std::string SaveObjectRowText(CSaveObject& child);
std::string PolymorphicChildText(CSaveObject* child);
inline std::string DataValueText(const CChildOut& child)
{
    return SaveObjectRowText(child.child);
}
inline std::string DataValueText(const CPolymorphicIn& child)
{
    return PolymorphicChildText(child.child);
}
template <typename T> std::string DataValueText(const CPolymorphicOut<T>& child)
{
    return PolymorphicChildText(child.out);
}
template <typename T> std::string DataValueText(const COwnedPolymorphicOut<T>& child)
{
    return PolymorphicChildText(child.out.get());
}

// Saves the child and answers its row number as text.
std::string SaveObjectRowText(CSaveObject& child);
// "id row " of a child whose class is known only from the file (asks the id before saving).
std::string PolymorphicChildText(CSaveObject* child);
// Row numbers of saved children, each followed by a blank, and one more blank after the last.
std::string ChildRowsText(const std::vector<CSaveObject*>& children);
// Runs make(row) for each row number of a child list text; make creates the owner's fixed child
// type, has it load the row and keeps it.
template <typename Make> void LoadChildList(const std::string& text, Make make)
{
    std::vector<int> rows;
    ParseIntList(text, rows);
    for (int row : rows)
        make(row);
}

// Marks one object's row as being loaded, so that a save whose rows refer back to themselves
// fails instead of recursing for ever.
class CLoadGuard
{
public:
    CLoadGuard(int classId, int row);
    ~CLoadGuard();
    CLoadGuard(const CLoadGuard&) = delete;
    CLoadGuard& operator=(const CLoadGuard&) = delete;

private:
    int mClassId;
    int mRow;
};

// Writes the whole graph of the root (crypted, no encoding) to the path, atomically; false with
// the reason when it could not be written (the old file is then kept).
bool WriteSaveFile(const std::string& path, CSaveObject& root, std::string* error = nullptr);

enum class ESaveLoad { Loaded, Missing, Damaged };
// Reads a save into the root (row 0). A missing file restores nothing; a damaged one (parse
// error, unknown or uncreatable class, wrong kind, missing row, cycle) fails with the reason,
// never throws. Load into a fresh root: a damaged save may have set some of its fields.
ESaveLoad LoadSaveFile(const std::string& path, CSaveObject& root, std::string* error = nullptr);
ESaveLoad LoadSaveBytes(std::string bytes, CSaveObject& root, std::string* error = nullptr);

template <typename T> void LoadPolymorphicChild(const std::string& text, T*& out)
{
    bool present = false;
    std::unique_ptr<CSaveObject> object(LoadPolymorphicObject(text, present));
    if (!present)
        return;
    T* typed = dynamic_cast<T*>(object.get());
    if (!typed)
        throw "The saved data holds an object of the wrong kind";
    object.release();
    out = typed;
}

} // namespace save
} // namespace tilvan
