// ParagraphPool: the storage of one text store's paragraph nodes. Nodes are carved from blocks
// of slots, which saves the heap's per-block header and rounding (a 72-byte node takes an
// 80-byte heap block, a memo of short lines holds hundreds of thousands). A destroyed node's
// slot is reused by the next new node; blocks go back to the heap only with the pool, so every
// node must be destroyed before the pool is. Blocks grow geometrically, so a short memo costs
// little.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

class CTextPara;

class ParagraphPool {
public:
    ParagraphPool();
    ~ParagraphPool();
    ParagraphPool(const ParagraphPool&) = delete;
    ParagraphPool& operator=(const ParagraphPool&) = delete;

    CTextPara* New(); // a default-constructed node
    void Delete(CTextPara* para);

private:
    union Slot; // a node, or the link to the next free slot

    std::vector<std::unique_ptr<Slot[]>> m_blocks;
    size_t m_lastBlockSize = 0;
    size_t m_usedInLastBlock = 0;
    Slot* m_free = nullptr;
};
