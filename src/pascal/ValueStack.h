#pragma once

#include "pascal/Value.h"

#include <memory>
#include <vector>

namespace pascal {

// Storage for the frames of running routines. Chunks never move, so a var parameter may
// point into a caller's frame for as long as that frame lives.
class TValueStack
{
public:
    TValueStack() = default;
    ~TValueStack();
    TValueStack(const TValueStack&) = delete;
    TValueStack& operator=(const TValueStack&) = delete;

    // aCount values, copies of aDefaults.
    TValue* Push(const TValue* aDefaults, int aCount);
    // Destroys the newest aCount values (those of the last Push).
    void Pop(TValue* aFrame, int aCount);

private:
    struct TChunk
    {
        TValue* Base = nullptr;
        int Size = 0;
        int Top = 0;
    };
    static constexpr int kChunkSize = 16384;

    std::vector<TChunk> FChunks;
    int FCurrent = -1;
};

} // namespace pascal
