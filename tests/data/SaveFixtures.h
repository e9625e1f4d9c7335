// Saved classes for the data tests, the fuzz target and the benchmark: one of every value kind,
// a held child, a list of children and a child made by class id.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data/CSaveObject.h"

namespace savefixtures
{

using tilvan::CFloatPair;
using tilvan::CXmlDataReader;
using tilvan::CXmlDataWriter;
using tilvan::save::CSaveObject;

constexpr int kLeafId = 9101;
constexpr int kNodeId = 9102;
constexpr int kStateAId = 9103;
constexpr int kStateBId = 9104;
constexpr int kNoCreatorId = 9105;
constexpr int kRootId = 9100;

// Every plain value kind a row holds.
class Leaf : public CSaveObject
{
public:
    std::string name;
    int count = 0;
    float ratio = 0;
    bool flag = false;
    CFloatPair pos;
    std::vector<int> list;

    int GetClassId() const override { return kLeafId; }
    int Save() override
    {
        return tilvan::save::SaveWriter().WriteRow("t_leaf", name, count, ratio, flag, pos, tilvan::IntListText(list));
    }
    void Load(int row) override
    {
        list.clear();
        tilvan::save::SaveReader().GetRow("t_leaf", row, name, count, ratio, flag, pos, list);
    }
    bool operator==(const Leaf& o) const
    {
        return name == o.name && count == o.count && ratio == o.ratio && flag == o.flag && pos == o.pos &&
               list == o.list;
    }
    static void ReaderSchema(CXmlDataReader& r)
    {
        for (const char* a : {"name", "count", "ratio", "flag", "pos", "list"})
            r.DeclareAttribute("t_leaf", a, "");
    }
    static void WriterSchema(CXmlDataWriter& w)
    {
        for (const char* a : {"name", "count", "ratio", "flag", "pos", "list"})
            w.DeclareAttribute("t_leaf", a);
    }
};

// The top-level kinds a root holds by class id.
class State : public CSaveObject
{
public:
    int value = 0;
    virtual bool Equals(const State& o) const { return GetClassId() == o.GetClassId() && value == o.value; }
};

class StateA : public State
{
public:
    int GetClassId() const override { return kStateAId; }
    int Save() override { return tilvan::save::SaveWriter().WriteRow("t_state_a", value); }
    void Load(int row) override { tilvan::save::SaveReader().GetRow("t_state_a", row, value); }
    static void ReaderSchema(CXmlDataReader& r) { r.DeclareAttribute("t_state_a", "value", "0"); }
    static void WriterSchema(CXmlDataWriter& w) { w.DeclareAttribute("t_state_a", "value"); }
};

// Holds a held child and a list of children.
class StateB : public State
{
public:
    Leaf held;
    std::vector<std::unique_ptr<Leaf>> leaves;
    // A chain of states, each made by class id.
    std::unique_ptr<State> next;

    int GetClassId() const override { return kStateBId; }
    int Save() override
    {
        std::string rows;
        for (auto& leaf : leaves)
            rows += std::to_string(leaf->Save()) + " ";
        return tilvan::save::SaveWriter().WriteRow("t_state_b", value, tilvan::save::Child(held), rows,
                                                   tilvan::save::PolymorphicChild(next.get()));
    }
    void Load(int row) override
    {
        std::string rows;
        tilvan::save::SaveReader().GetRow("t_state_b", row, value, tilvan::save::Child(held), rows,
                                          tilvan::save::Polymorphic(next));
        leaves.clear();
        tilvan::save::LoadChildList(rows, [this](int r) {
            auto leaf = std::make_unique<Leaf>();
            tilvan::save::CLoadGuard guard(kLeafId, r);
            leaf->Load(r);
            leaves.push_back(std::move(leaf));
        });
    }
    bool Equals(const State& o) const override
    {
        auto* b = dynamic_cast<const StateB*>(&o);
        if (!b || !State::Equals(o) || !(held == b->held) || leaves.size() != b->leaves.size())
            return false;
        if (bool(next) != bool(b->next) || (next && !next->Equals(*b->next)))
            return false;
        for (size_t i = 0; i < leaves.size(); ++i)
            if (!(*leaves[i] == *b->leaves[i]))
                return false;
        return true;
    }
    static void ReaderSchema(CXmlDataReader& r)
    {
        r.DeclareAttribute("t_state_b", "value", "0");
        r.DeclareAttribute("t_state_b", "held", "");
        r.DeclareAttribute("t_state_b", "leaves", "");
        r.DeclareAttribute("t_state_b", "next", "");
    }
    static void WriterSchema(CXmlDataWriter& w)
    {
        w.DeclareAttribute("t_state_b", "value");
        w.DeclareAttribute("t_state_b", "held");
        w.DeclareAttribute("t_state_b", "leaves");
        w.DeclareAttribute("t_state_b", "next");
    }
};

// Registered, but never to be made from a file.
class NoCreator : public CSaveObject
{
public:
    int GetClassId() const override { return kNoCreatorId; }
    static void ReaderSchema(CXmlDataReader& r) { r.DeclareAttribute("t_nocreator", "x", ""); }
    static void WriterSchema(CXmlDataWriter& w) { w.DeclareAttribute("t_nocreator", "x"); }
};

// The file's row 0: a state made by class id and a held leaf.
class Root : public CSaveObject
{
public:
    std::unique_ptr<State> state;
    Leaf leaf;
    std::string title;

    int GetClassId() const override { return kRootId; }
    int Save() override
    {
        return tilvan::save::SaveWriter().WriteRow("t_root", title, tilvan::save::PolymorphicChild(state.get()),
                                                   tilvan::save::Child(leaf));
    }
    void Load(int row) override
    {
        tilvan::save::SaveReader().GetRow("t_root", row, title, tilvan::save::Polymorphic(state),
                                          tilvan::save::Child(leaf));
    }
    bool operator==(const Root& o) const
    {
        if (title != o.title || !(leaf == o.leaf) || bool(state) != bool(o.state))
            return false;
        return !state || state->Equals(*o.state);
    }
    static void ReaderSchema(CXmlDataReader& r)
    {
        for (const char* a : {"title", "state", "leaf"})
            r.DeclareAttribute("t_root", a, "");
    }
    static void WriterSchema(CXmlDataWriter& w)
    {
        for (const char* a : {"title", "state", "leaf"})
            w.DeclareAttribute("t_root", a);
    }
};

inline void RegisterSaveFixtures()
{
    using tilvan::save::CreateSaveObject;
    using tilvan::save::CSaveObjectRegistrar;
    static CSaveObjectRegistrar registrars[] = {
        {&CreateSaveObject<Leaf>, kLeafId, &Leaf::ReaderSchema, &Leaf::WriterSchema},
        {&CreateSaveObject<StateA>, kStateAId, &StateA::ReaderSchema, &StateA::WriterSchema},
        {&CreateSaveObject<StateB>, kStateBId, &StateB::ReaderSchema, &StateB::WriterSchema},
        {nullptr, kNoCreatorId, &NoCreator::ReaderSchema, &NoCreator::WriterSchema},
        {nullptr, kRootId, &Root::ReaderSchema, &Root::WriterSchema},
    };
    (void)registrars;
}

// A leaf with awkward texts and numbers.
inline Leaf MakeLeaf(int i)
{
    Leaf leaf;
    leaf.name = "leaf \"" + std::to_string(i) + "\" <&> '\t\n\r' \xE9";
    leaf.count = i * 7 - 3;
    leaf.ratio = 0.05f * static_cast<float>(i) + 1.0f / 3.0f;
    leaf.flag = i % 2 == 1;
    leaf.pos = {static_cast<float>(i) * 1.5f, -2.25f};
    leaf.list = {i, 2 * i, 3 * i + 1};
    return leaf;
}

// A root whose state B holds count leaves.
inline Root MakeGraph(int count)
{
    Root root;
    root.title = "a game";
    root.leaf = MakeLeaf(1000);
    auto state = std::make_unique<StateB>();
    state->value = count;
    state->held = MakeLeaf(2000);
    for (int i = 0; i < count; ++i)
        state->leaves.push_back(std::make_unique<Leaf>(MakeLeaf(i)));
    root.state = std::move(state);
    return root;
}

} // namespace savefixtures
