// Tuning values by group and name, read from "constant" rows; each group goes to its handler.
#pragma once

#include <map>
#include <stdexcept>
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
    // A handler that rejects its group (it throws) is logged with its reason; the others still run.
    void Load(const std::string& path);

    // Where a value was read: the file and the 0-based index of its "constant" row; row -1 and an
    // empty file for a value no file gave.
    struct Source {
        std::string file;
        int row = -1;
    };
    Source SourceOf(const std::string& group, const std::string& name) const;
    // The error a handler throws for a value it cannot use, naming the file and row it came from.
    std::runtime_error BadValue(const std::string& group, const std::string& name, const std::string& reason) const;

    // Direct lookups insert empty entries for absent keys, which read as "" (0 as a number).
    Group& operator[](const std::string& group) { return mGroups[group]; }
    std::string& Get(const std::string& group, const std::string& name) { return mGroups[group][name]; }
    void GetInt(const std::string& group, const std::string& name, int& out);
    float GetFloat(const std::string& group, const std::string& name);

    const std::map<std::string, Group>& Groups() const { return mGroups; }

private:
    std::map<std::string, Group> mGroups;
    std::map<std::string, Handler> mHandlers;
    std::map<std::pair<std::string, std::string>, Source> mSources;
};

// One per constants handler, built by the start-up registrations.
class CConstantsRegistrar
{
public:
    CConstantsRegistrar(const std::string& group, CConstantsRegistry::Handler handler);
};

} // namespace tilvan
