// The constants registry: groups of value texts and the handlers that convert them.
#include "data/CConstantsRegistry.h"

#include <loki/Singleton.h>

#include "data/CDataError.h"
#include "data/CXmlDataReader.h"
#include "data/DataCodecs.h"
#include "platform/Log.h"

namespace tilvan
{

CConstantsRegistry& CConstantsRegistry::Instance()
{
    return Loki::SingletonHolder<CConstantsRegistry>::Instance();
}

void CConstantsRegistry::RegisterHandler(const std::string& group, Handler handler)
{
    mHandlers.emplace(group, handler);
}

void CConstantsRegistry::Load(const std::string& path)
{
    CXmlDataReader reader;
    reader.DeclareAttribute("constant", "group", "");
    reader.DeclareAttribute("constant", "name", "");
    reader.DeclareAttribute("constant", "value", "");
    try {
        reader.LoadFile(path);
    } catch (...) {
        return;
    }
    const int rows = reader.GetRowCount("constant");
    for (int i = 0; i < rows; ++i) {
        std::string group, name, value;
        reader.GetRow("constant", i, group, name, value);
        mGroups[group][name] = value;
        mSources[{group, name}] = Source{path, i};
    }
    reader.Clear();
    for (auto& [group, handler] : mHandlers) {
        if (!handler)
            continue;
        try {
            handler(mGroups[group]);
        } catch (const std::exception& e) {
            Olvarn::LogWrite(Olvarn::LogLevel::Error, "%s", e.what());
        }
    }
}

CConstantsRegistry::Source CConstantsRegistry::SourceOf(const std::string& group, const std::string& name) const
{
    auto it = mSources.find({group, name});
    return it == mSources.end() ? Source{} : it->second;
}

std::runtime_error CConstantsRegistry::BadValue(const std::string& group, const std::string& name,
                                                const std::string& reason) const
{
    const Source source = SourceOf(group, name);
    const std::string field = group + "/" + name;
    if (source.row < 0)
        return std::runtime_error("constants: " + field + " is not given; it " + reason);
    return CDataError(source.file, "constant", source.row, field, reason);
}

void CConstantsRegistry::GetInt(const std::string& group, const std::string& name, int& out)
{
    out = ParseInt(mGroups[group][name]);
}

float CConstantsRegistry::GetFloat(const std::string& group, const std::string& name)
{
    return ParseFloat(mGroups[group][name]);
}

CConstantsRegistrar::CConstantsRegistrar(const std::string& group, CConstantsRegistry::Handler handler)
{
    CConstantsRegistry::Instance().RegisterHandler(group, handler);
}

} // namespace tilvan
