// ParagraphPool hands out distinct, default-constructed nodes across its growing blocks and
// reuses a destroyed node's slot first.
#include "editor/paragraph_pool.h"
#include "editor/text_store.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(ParagraphPoolTest, NodesAreDistinctFreshAndTheirSlotsReused)
{
    ParagraphPool pool;
    std::vector<CTextPara*> nodes;
    for (int i = 0; i < 3000; ++i) { // several blocks
        nodes.push_back(pool.New());
        nodes.back()->text.SetText(QString::number(i)); // writes must not reach another node
    }
    EXPECT_EQ(std::set<CTextPara*>(nodes.begin(), nodes.end()).size(), nodes.size());
    EXPECT_EQ(nodes[1234]->text.Text(), QStringLiteral("1234"));
    const uint32_t ends[] = {1, 2, 3};
    nodes[7]->SetLineEnds(ends); // a block of ends, freed with the node
    pool.Delete(nodes[7]);
    CTextPara* reused = pool.New();
    EXPECT_EQ(reused, nodes[7]);
    EXPECT_EQ(reused->ordinal, -1);
    EXPECT_EQ(reused->LineCount(), 1);
    EXPECT_EQ(reused->Length(), 0);
    for (CTextPara* node : nodes)
        pool.Delete(node);
}

} // namespace
