// What the processor offers beyond the x86-64 baseline, asked once.
#pragma once

// Functions between these two are compiled for AVX2 whatever the build's target; they are called
// only where the processor has it (the table choosers below check).
#if defined(__clang__)
#define OLVARN_AVX2_BEGIN _Pragma("clang attribute push(__attribute__((target(\"avx2\"))), apply_to = function)")
#define OLVARN_AVX2_END _Pragma("clang attribute pop")
#else
#define OLVARN_AVX2_BEGIN _Pragma("GCC push_options") _Pragma("GCC target(\"avx2\")")
#define OLVARN_AVX2_END _Pragma("GCC pop_options")
#endif

namespace Olvarn
{

// Whether the vector kernels may take their AVX2 forms.
bool CpuHasAvx2();

// Every set of pixel kernels comes in three forms: the plain one, which the others are tested
// against, SSE2, which every x86-64 processor has, and AVX2. A level this processor lacks gives none.
template <typename Level, typename Table>
const Table* TableForLevel(Level level, const Table& plain, const Table& sse2, const Table& avx2)
{
    if (level == Level::Sse2)
        return &sse2;
    if (level == Level::Avx2)
        return CpuHasAvx2() ? &avx2 : nullptr;
    return &plain;
}

// The table a set of kernels runs with: the best form this processor offers, until a test or a
// benchmark chooses another level.
template <typename Table> class ChosenKernels
{
public:
    ChosenKernels(const Table& sse2, const Table& avx2) : mTable(CpuHasAvx2() ? &avx2 : &sse2) {}
    const Table& Active() const { return *mTable; }
    bool Use(const Table* table)
    {
        if (!table)
            return false;
        mTable = table;
        return true;
    }

private:
    const Table* mTable;
};

} // namespace Olvarn
