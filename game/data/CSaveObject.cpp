// The save-class registry, the child protocol and the save files.
#include "data/CSaveObject.h"

#include <loki/Factory.h>
#include <loki/Singleton.h>

#include <cstdio>
#include <exception>
#include <set>
#include <utility>

#include "platform/Log.h"
#include "platform/Paths.h"

namespace tilvan
{
namespace save
{

CXmlDataReader* g_pSaveReader = nullptr;
CXmlDataWriter* g_pSaveWriter = nullptr;

namespace
{
// Deeper nesting than any game graph has; a save past it is damaged.
const int kMaxLoadDepth = 512;

std::set<std::pair<int, int>>& RowsInProgress()
{
    static std::set<std::pair<int, int>> rows;
    return rows;
}
} // namespace

struct CSaveObjectRegistry::Impl {
    Loki::Factory<CSaveObject, int> factory;
    std::set<int> registered;
};

CSaveObjectRegistry::CSaveObjectRegistry() : mImpl(new Impl)
{
    g_pSaveReader = &mReader;
    g_pSaveWriter = &mWriter;
}

CSaveObjectRegistry::~CSaveObjectRegistry()
{
    if (mWriter.IsOpen() && !mWriter.Close())
        Olvarn::LogWrite(Olvarn::LogLevel::Error, "%s", mWriter.LastError().c_str());
    g_pSaveReader = nullptr;
    g_pSaveWriter = nullptr;
}

CSaveObjectRegistry& CSaveObjectRegistry::Instance()
{
    return Loki::SingletonHolder<CSaveObjectRegistry>::Instance();
}

void CSaveObjectRegistry::Register(CreatorFn creator, int classId, ReaderSchemaFn readerSchema,
                                   WriterSchemaFn writerSchema)
{
    if (mImpl->registered.insert(classId).second) {
        mOrder.push_back(classId);
        if (creator)
            mImpl->factory.Register(classId, creator);
    }
    if (readerSchema)
        readerSchema(mReader);
    if (writerSchema)
        writerSchema(mWriter);
}

CSaveObject* CSaveObjectRegistry::CreateObject(int classId)
{
    if (mImpl->registered.count(classId) && !HasCreator(classId))
        throw "The saved data names a class that cannot be created from it";
    return mImpl->factory.CreateObject(classId);
}

bool CSaveObjectRegistry::IsRegistered(int classId) const
{
    return mImpl->registered.count(classId) != 0;
}

bool CSaveObjectRegistry::HasCreator(int classId) const
{
    for (int id : mImpl->factory.RegisteredIds())
        if (id == classId)
            return true;
    return false;
}

CSaveObjectRegistrar::CSaveObjectRegistrar(CreatorFn creator, int classId, ReaderSchemaFn readerSchema,
                                           WriterSchemaFn writerSchema)
{
    CSaveObjectRegistry::Instance().Register(creator, classId, readerSchema, writerSchema);
}

CXmlDataReader& SaveReader()
{
    return CSaveObjectRegistry::Instance().Reader();
}

CXmlDataWriter& SaveWriter()
{
    return CSaveObjectRegistry::Instance().Writer();
}

CLoadGuard::CLoadGuard(int classId, int row) : mClassId(classId), mRow(row)
{
    auto& rows = RowsInProgress();
    if (rows.size() >= static_cast<size_t>(kMaxLoadDepth))
        throw "The saved data nests too deep";
    if (!rows.insert({classId, row}).second)
        throw "The saved data holds a cycle";
}

CLoadGuard::~CLoadGuard()
{
    RowsInProgress().erase({mClassId, mRow});
}

void LoadChildObject(const std::string& text, CSaveObject& child)
{
    int row = ParseInt(text);
    CLoadGuard guard(child.GetClassId(), row);
    child.Load(row);
}

CSaveObject* LoadPolymorphicObject(const std::string& text, bool& present)
{
    std::vector<int> numbers;
    present = ParseIntList(text, numbers) == 2;
    if (!present)
        return nullptr;
    std::unique_ptr<CSaveObject> object(CSaveObjectRegistry::Instance().CreateObject(numbers[0]));
    if (!object)
        throw "The saved data names a class that cannot be created from it";
    CLoadGuard guard(numbers[0], numbers[1]);
    object->Load(numbers[1]);
    return object.release();
}

std::string SaveObjectRowText(CSaveObject& child)
{
    return std::to_string(child.Save());
}

std::string PolymorphicChildText(CSaveObject* child)
{
    if (!child)
        return std::string();
    int classId = child->GetClassId();
    int row = child->Save();
    return std::to_string(classId) + " " + std::to_string(row) + " ";
}

std::string ChildRowsText(const std::vector<CSaveObject*>& children)
{
    std::string text;
    for (CSaveObject* child : children) {
        text += std::to_string(child->Save());
        text += ' ';
    }
    // The list's closing blank: "0 1  ", and " " for no rows.
    text += ' ';
    return text;
}

bool WriteSaveFile(const std::string& path, CSaveObject& root, std::string* error)
{
    CXmlDataWriter& writer = SaveWriter();
    if (!writer.Open(path, true, std::string())) {
        if (error)
            *error = writer.LastError();
        return false;
    }
    root.Save();
    bool ok = writer.Close();
    if (error)
        *error = writer.LastError();
    return ok;
}

ESaveLoad LoadSaveBytes(std::string bytes, CSaveObject& root, std::string* error)
{
    CXmlDataReader& reader = SaveReader();
    XmlDataCrypt(bytes);
    std::string reason;
    try {
        reader.LoadFromMemory(bytes);
        reader.SetStrictRows(true);
        {
            CLoadGuard guard(root.GetClassId(), 0);
            root.Load(0);
        }
    } catch (const char* text) {
        reason = text;
    } catch (const std::exception& e) {
        reason = e.what();
    } catch (...) {
        reason = "unknown failure";
    }
    reader.SetStrictRows(false);
    reader.Clear();
    RowsInProgress().clear();
    if (error)
        *error = reason;
    return reason.empty() ? ESaveLoad::Loaded : ESaveLoad::Damaged;
}

ESaveLoad LoadSaveFile(const std::string& path, CSaveObject& root, std::string* error)
{
    std::FILE* file = std::fopen(Olvarn::Paths::ToNative(path).c_str(), "rb");
    if (!file) {
        if (error)
            *error = "no file " + path;
        return ESaveLoad::Missing;
    }
    std::string bytes;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, n);
    bool readError = std::ferror(file) != 0;
    std::fclose(file);
    if (readError) {
        if (error)
            *error = "cannot read " + path;
        return ESaveLoad::Damaged;
    }
    return LoadSaveBytes(std::move(bytes), root, error);
}

} // namespace save
} // namespace tilvan
