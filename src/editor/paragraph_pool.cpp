// ParagraphPool: slots for paragraph nodes (see paragraph_pool.h).
#include "paragraph_pool.h"

#include "editor/text_store.h"

#include <algorithm>
#include <new>

namespace {
constexpr size_t kFirstBlockSize = 16;
constexpr size_t kLargestBlockSize = 1024; // 72 KiB: under the heap's mmap threshold, so heap statistics see it
} // namespace

union ParagraphPool::Slot {
    Slot* nextFree;
    alignas(CTextPara) std::byte node[sizeof(CTextPara)];
};

ParagraphPool::ParagraphPool() = default;
ParagraphPool::~ParagraphPool() = default;

CTextPara* ParagraphPool::New()
{
    Slot* slot = m_free;
    if (slot) {
        m_free = slot->nextFree;
    } else {
        if (m_usedInLastBlock == m_lastBlockSize) {
            m_lastBlockSize = m_blocks.empty() ? kFirstBlockSize : std::min(2 * m_lastBlockSize, kLargestBlockSize);
            m_blocks.push_back(std::make_unique_for_overwrite<Slot[]>(m_lastBlockSize));
            m_usedInLastBlock = 0;
        }
        slot = &m_blocks.back()[m_usedInLastBlock++];
    }
    return new (slot->node) CTextPara;
}

void ParagraphPool::Delete(CTextPara* para)
{
    para->~CTextPara();
    auto* slot = reinterpret_cast<Slot*>(para);
    slot->nextFree = m_free;
    m_free = slot;
}
