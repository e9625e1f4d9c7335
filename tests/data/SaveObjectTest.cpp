// Saved object graphs: row numbers as references, children made by class id, whole save files,
// and damaged saves that fail without harm.
#include <gtest/gtest.h>

#include <loki/Factory.h>

#include <filesystem>
#include <functional>
#include <string>

#include "SaveFixtures.h"
#include "data/DataCodecs.h"
#include "support/TempDir.h"

using namespace tilvan;
using namespace savefixtures;

namespace
{

class SaveObjects : public ::testing::Test
{
protected:
    void SetUp() override { RegisterSaveFixtures(); }
    testsupport::TempDir dir;
};

std::string Plain(std::string bytes)
{
    XmlDataCrypt(bytes);
    return bytes;
}

std::string Crypted(std::string bytes)
{
    XmlDataCrypt(bytes);
    return bytes;
}

// Two children of one element inside a parent.
class Pair : public save::CSaveObject
{
public:
    Leaf first, second;
    int Save() override { return save::SaveWriter().WriteRow("t_pair", save::Child(first), save::Child(second)); }
    void Load(int row) override { save::SaveReader().GetRow("t_pair", row, save::Child(first), save::Child(second)); }
    int GetClassId() const override { return 9106; }
    static void ReaderSchema(CXmlDataReader& r)
    {
        r.DeclareAttribute("t_pair", "first", "");
        r.DeclareAttribute("t_pair", "second", "");
    }
    static void WriterSchema(CXmlDataWriter& w)
    {
        w.DeclareAttribute("t_pair", "first");
        w.DeclareAttribute("t_pair", "second");
    }
};

} // namespace

TEST_F(SaveObjects, ChildrenAreSavedFirstAndReferencedByRow)
{
    static save::CSaveObjectRegistrar registrar(nullptr, 9106, &Pair::ReaderSchema, &Pair::WriterSchema);
    Pair pair;
    pair.first = MakeLeaf(1);
    pair.second = MakeLeaf(2);
    ASSERT_TRUE(save::WriteSaveFile(dir.File("pair.xml"), pair));
    std::string file = Plain(dir.ReadFile("pair.xml"));
    EXPECT_NE(file.find("<t_pair first=\"0\" second=\"1\"/>"), std::string::npos) << file;

    Pair back;
    std::string error;
    ASSERT_EQ(save::LoadSaveFile(dir.File("pair.xml"), back, &error), save::ESaveLoad::Loaded) << error;
    EXPECT_TRUE(back.first == pair.first);
    EXPECT_TRUE(back.second == pair.second);
}

TEST_F(SaveObjects, PolymorphicChildTextIsIdRowAndBlank)
{
    StateA state;
    state.value = 5;
    save::SaveWriter().Open(dir.File("p.xml"), false, "");
    EXPECT_EQ(save::PolymorphicChildText(&state), std::to_string(kStateAId) + " 0 ");
    save::SaveWriter().Close();
    EXPECT_EQ(save::PolymorphicChildText(nullptr), "");

    // Two numbers make an object of that class and load its row; one number makes nothing.
    save::SaveReader().LoadFromMemory("<data><t_state_a value='1'/><t_state_a value='42'/></data>");
    State* made = nullptr;
    save::LoadPolymorphicChild(std::to_string(kStateAId) + " 1 ", made);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetClassId(), kStateAId);
    EXPECT_EQ(made->value, 42);
    delete made;
    made = nullptr;
    save::LoadPolymorphicChild(std::to_string(kStateAId) + " 1", made);
    EXPECT_EQ(made, nullptr);
    save::SaveReader().Clear();
}

TEST_F(SaveObjects, AListOfChildRowsEndsWithOneMoreBlank)
{
    Leaf a = MakeLeaf(1), b = MakeLeaf(2);
    save::SaveWriter().Open(dir.File("l.xml"), false, "");
    EXPECT_EQ(save::ChildRowsText({&a, &b}), "0 1  ");
    EXPECT_EQ(save::ChildRowsText({}), " ");
    save::SaveWriter().Close();
}

TEST_F(SaveObjects, RegistryKeepsTheFirstCreatorAndThrowsForUnknownIds)
{
    auto& registry = save::CSaveObjectRegistry::Instance();
    EXPECT_EQ(save::g_pSaveReader, &registry.Reader());
    EXPECT_EQ(save::g_pSaveWriter, &registry.Writer());
    // A second registration of an id keeps its creator but still declares its schema.
    save::CSaveObjectRegistrar again(
        &save::CreateSaveObject<StateB>, kStateAId, [](CXmlDataReader& r) { r.DeclareAttribute("t_again", "v", "d"); },
        [](CXmlDataWriter& w) { w.DeclareAttribute("t_again", "v"); });
    std::unique_ptr<save::CSaveObject> made(registry.CreateObject(kStateAId));
    EXPECT_EQ(made->GetClassId(), kStateAId);
    EXPECT_EQ(registry.Reader().Schema().count("t_again"), 1u);
    EXPECT_EQ(registry.Writer().Schema().count("t_again"), 1u);

    try {
        registry.CreateObject(424242);
        ADD_FAILURE() << "no exception";
    } catch (const Loki::DefaultFactoryError<int, save::CSaveObject>::Exception& e) {
        EXPECT_STREQ(e.what(), "Unknown Type");
    }
    EXPECT_TRUE(registry.IsRegistered(kNoCreatorId));
    EXPECT_FALSE(registry.HasCreator(kNoCreatorId));
    EXPECT_THROW(registry.CreateObject(kNoCreatorId), const char*);
}

// Every saved class, written and read back, gives an equal graph.
TEST_F(SaveObjects, RoundTripOfEverySavedClass)
{
    struct Case {
        const char* name;
        std::function<Root()> make;
    } cases[] = {
        {"empty root", [] { return Root(); }},
        {"leaf values",
         [] {
             Root r;
             r.leaf = MakeLeaf(3);
             r.title = "\"quoted\" & <tagged>";
             return r;
         }},
        {"state made by id",
         [] {
             Root r;
             auto a = std::make_unique<StateA>();
             a->value = -17;
             r.state = std::move(a);
             return r;
         }},
        {"state with held child and a list", [] { return MakeGraph(5); }},
        {"state with an empty list", [] { return MakeGraph(0); }},
        {"chain of states",
         [] {
             Root r = MakeGraph(1);
             auto next = std::make_unique<StateB>();
             next->held = MakeLeaf(7);
             auto last = std::make_unique<StateA>();
             last->value = 3;
             next->next = std::move(last);
             static_cast<StateB&>(*r.state).next = std::move(next);
             return r;
         }},
        {"extreme numbers",
         [] {
             Root r = MakeGraph(1);
             auto& leaf = static_cast<StateB&>(*r.state).leaves[0];
             leaf->count = -2147483647 - 1;
             leaf->ratio = 3.4028235e38f;
             leaf->pos = {1e-30f, -0.0f};
             return r;
         }},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        Root original = c.make();
        std::string error;
        ASSERT_TRUE(save::WriteSaveFile(dir.File("saves/round.xml"), original, &error)) << error;
        testsupport::SaveFuzzSeed("savefile", std::string("round-") + c.name, dir.ReadFile("saves/round.xml"));
        Root back;
        ASSERT_EQ(save::LoadSaveFile(dir.File("saves/round.xml"), back, &error), save::ESaveLoad::Loaded) << error;
        EXPECT_TRUE(back == original);
        EXPECT_FALSE(save::SaveReader().IsLoaded()) << "the reader is cleared after a load";
    }
}

TEST_F(SaveObjects, DamagedSavesFailWithoutHarm)
{
    const std::string a = std::to_string(kStateAId), b = std::to_string(kStateBId);
    struct Case {
        const char* name;
        std::string text;
    } cases[] = {
        {"unknown class id", "<data><t_root state='31337 0 '/></data>"},
        {"class without a creator", "<data><t_root state='" + std::to_string(kNoCreatorId) + " 0 '/></data>"},
        {"object that is not a state", "<data><t_root state='" + std::to_string(kLeafId) + " 0 '/><t_leaf/></data>"},
        {"dangling child row", "<data><t_root leaf='3'/><t_leaf/></data>"},
        {"dangling state row", "<data><t_root state='" + a + " 2 '/><t_state_a/></data>"},
        {"missing root row", "<data><t_leaf/></data>"},
        {"state that holds itself",
         "<data><t_root state='" + b + " 0 '/><t_state_b held='0' next='" + b + " 0 '/><t_leaf/></data>"},
        {"two states that hold each other", "<data><t_root state='" + b + " 0 '/><t_state_b held='0' next='" + b +
                                                " 1 '/><t_state_b held='0' next='" + b + " 0 '/><t_leaf/></data>"},
        {"parse error", "<data><t_root title='x/></data>"},
        {"other root", "<other/>"},
        {"not text at all", std::string("\0\x01\x02", 3)},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        dir.WriteFile("bad.xml", Crypted(c.text));
        testsupport::SaveFuzzSeed("savefile", std::string("damaged-") + c.name, dir.ReadFile("bad.xml"));
        Root root;
        root.title = "kept";
        std::string error;
        EXPECT_EQ(save::LoadSaveFile(dir.File("bad.xml"), root, &error), save::ESaveLoad::Damaged);
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(root.state, nullptr) << "no half-made state is handed over";
        EXPECT_FALSE(save::SaveReader().IsLoaded());
    }
    Root root;
    EXPECT_EQ(save::LoadSaveFile(dir.File("none.xml"), root), save::ESaveLoad::Missing);

    // After all that, a good save still loads.
    Root good = MakeGraph(2);
    ASSERT_TRUE(save::WriteSaveFile(dir.File("good.xml"), good));
    ASSERT_EQ(save::LoadSaveFile(dir.File("good.xml"), root), save::ESaveLoad::Loaded);
    EXPECT_TRUE(root == good);
}
