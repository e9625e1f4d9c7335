// Tuning values by group and name, read from "constant" rows; each group goes to its handler.
#pragma once

#include <map>
#include <string>

namespace tilvan
{

class CConstantsRegistry
{
public:
    using Group = std::map<std::string, std::string>;
    using Handler = void (*)(Group& group);

    static CConstantsRegistry& Instance();

    // A group that already has a handler keeps its first one.
    void RegisterHandler(const std::string& group, Handler handler);
    // Reads the file's "constant" rows into the groups (a later row wins), then calls every
    // handler in group-name order. A file that cannot be read changes nothing and calls no one.
    void Load(const std::string& path);

    // Direct lookups insert empty entries for absent keys, which read as "" (0 as a number).
    Group& operator[](const std::string& group) { return mGroups[group]; }
    std::string& Get(const std::string& group, const std::string& name) { return mGroups[group][name]; }
    void GetInt(const std::string& group, const std::string& name, int& out);
    float GetFloat(const std::string& group, const std::string& name);

    const std::map<std::string, Group>& Groups() const { return mGroups; }

private:
    std::map<std::string, Group> mGroups;
    std::map<std::string, Handler> mHandlers;
};

// One per constants handler, built by the start-up registrations.
class CConstantsRegistrar
{
public:
    CConstantsRegistrar(const std::string& group, CConstantsRegistry::Handler handler);
};

} // namespace tilvan
