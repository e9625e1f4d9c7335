// The level's creatures: owned, stepped and saved in order of arrival. New creatures join the
// current aquarium.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "world/CAnimal.h"

namespace tilvan
{

class CAquarium : public save::CSaveObject
{
public:
    static constexpr int kClassId = 1162;
    static constexpr const char* kElement = "aquarium";

    // The level number (1-based) the restored creatures' location comes from.
    explicit CAquarium(std::function<int()> levelNumber = nullptr);
    // No longer current.
    ~CAquarium() override;
    CAquarium(const CAquarium&) = delete;
    CAquarium& operator=(const CAquarium&) = delete;

    void Add(std::unique_ptr<CAnimal> animal);
    void Update(float ms);
    void Clear();
    const std::vector<std::unique_ptr<CAnimal>>& Animals() const { return animals; }

    int Save() override;
    void Load(int row) override;
    int GetClassId() const override { return kClassId; }
    static void DeclareReaderSchema(CXmlDataReader& reader);
    static void DeclareWriterSchema(CXmlDataWriter& writer);

    static CAquarium* Current();

private:
    std::vector<std::unique_ptr<CAnimal>> animals;
    std::function<int()> levelNumber;
};

} // namespace tilvan
