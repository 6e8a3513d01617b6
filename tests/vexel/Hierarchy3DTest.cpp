// The scene graph: draw matrices handed down the tree. (Filing nodes by name is a plain map lookup;
// the refusal of a cycle guards code no scene runs.)
#include "Hierarchy3D.h"

#include "MatrixElements.h"

#include <gtest/gtest.h>

using vexel::Matrix;
using vexel::Node;

namespace {

Matrix translation(double x, double y, double z) {
    Matrix m;
    m.translate(x, y, z);
    return m;
}

Matrix scaling(double s) {
    Matrix m;
    m.scale(s, s, s);
    return m;
}

} // namespace

// The parent matrix applies first, then the node's own transform; every descendant gets the
// same parent matrix (nothing chains down the tree), and only when asked.
TEST(NodeTest, UpdateMatrixGivesEveryDescendantTheSameParentMatrix) {
    Node root, child, grandchild;
    root.updateStateMatrix(scaling(2));
    child.updateStateMatrix(translation(0, 5, 0));
    grandchild.updateStateMatrix(scaling(3));
    root.addChild(&child);
    child.addChild(&grandchild);

    root.updateMatrix(translation(1, 0, 0), false);
    EXPECT_EQ(elements(translation(0, 5, 0)), elements(child.getMatrix()));
    root.updateMatrix(translation(1, 0, 0), true);
    EXPECT_EQ((std::array<float, 16>{2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 2, 0, 0, 1}), elements(root.getMatrix()));
    EXPECT_EQ(elements(translation(1, 5, 0)), elements(child.getMatrix()));
    EXPECT_EQ((std::array<float, 16>{3, 0, 0, 0, 0, 3, 0, 0, 0, 0, 3, 0, 3, 0, 0, 1}), elements(grandchild.getMatrix()));
}

