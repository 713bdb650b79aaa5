#include "pascal/ValueStack.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace pascal {

TValueStack::~TValueStack()
{
    for (TChunk& c : FChunks)
        std::free(c.Base);
}

TValue* TValueStack::Push(const TValue* aDefaults, int aCount)
{
    if (FCurrent < 0 || FChunks[std::size_t(FCurrent)].Top + aCount > FChunks[std::size_t(FCurrent)].Size) {
        ++FCurrent;
        if (FCurrent == int(FChunks.size()) || FChunks[std::size_t(FCurrent)].Size < aCount) {
            TChunk chunk;
            chunk.Size = std::max(kChunkSize, aCount);
            chunk.Base = static_cast<TValue*>(std::malloc(std::size_t(chunk.Size) * sizeof(TValue)));
            if (chunk.Base == nullptr)
                throw std::bad_alloc();
            if (FCurrent == int(FChunks.size())) {
                FChunks.push_back(chunk);
            } else {
                std::free(FChunks[std::size_t(FCurrent)].Base);
                FChunks[std::size_t(FCurrent)] = chunk;
            }
        }
    }
    TChunk& c = FChunks[std::size_t(FCurrent)];
    TValue* frame = c.Base + c.Top;
    for (int i = 0; i < aCount; ++i)
        new (&frame[i]) TValue(aDefaults[i]);
    c.Top += aCount;
    return frame;
}

void TValueStack::Pop(TValue* aFrame, int aCount)
{
    for (int i = 0; i < aCount; ++i)
        aFrame[i].~TValue();
    TChunk& c = FChunks[std::size_t(FCurrent)];
    c.Top -= aCount;
    if (c.Top == 0 && FCurrent > 0)
        --FCurrent;
}

} // namespace pascal
