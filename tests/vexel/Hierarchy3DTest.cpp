#include "Capture.h"
#include "Hierarchy3D.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

using vexel::Hierarchy3D;
using vexel::Matrix;
using vexel::Node;

namespace {

std::array<float, 16> elements(Matrix matrix) {
    std::array<float, 16> out{};
    for (int i = 0; i < 16; i++) out[i] = matrix.matrix()[i];
    return out;
}

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

TEST(NodeTest, DrawMatrixIsZeroThenTheStateMatrixAndDrawWithoutAMeshDoesNothing) {
    Node node;
    EXPECT_EQ(elements(Matrix()), elements(node.getMatrix()));
    node.draw();
    node.updateStateMatrix(translation(1, 2, 3));
    EXPECT_EQ(elements(translation(1, 2, 3)), elements(node.getMatrix()));
}

TEST(NodeTest, UpdateMatrixGivesEveryDescendantTheSameParentMatrix) {
    Node root, child, grandchild;
    root.updateStateMatrix(scaling(2));
    child.updateStateMatrix(translation(0, 5, 0));
    grandchild.updateStateMatrix(scaling(3));
    root.addChild(&child);
    child.addChild(&grandchild);

    // Without children only the root moves on; the others keep their own transforms.
    root.updateMatrix(translation(1, 0, 0), false);
    EXPECT_EQ(2.0f, root.getMatrix().matrix()[0]);
    EXPECT_EQ(2.0f, root.getMatrix().matrix()[12]);
    EXPECT_EQ(elements(translation(0, 5, 0)), elements(child.getMatrix()));
    EXPECT_EQ(elements(scaling(3)), elements(grandchild.getMatrix()));

    // The translation applies first, then each node's own transform; nothing chains down the tree.
    root.updateMatrix(translation(1, 0, 0), true);
    EXPECT_EQ(elements(translation(1, 5, 0)), elements(child.getMatrix()));
    std::array<float, 16> expected = elements(scaling(3));
    expected[12] = 3.0f;
    EXPECT_EQ(expected, elements(grandchild.getMatrix()));
}

TEST(NodeTest, AddChildRefusesANodeThatWouldCloseACycle) {
    Node root, child, grandchild, other;
    root.addChild(&child);
    child.addChild(&grandchild);

    std::string out = captureStdout([&] {
        grandchild.addChild(&grandchild);
        grandchild.addChild(&root);
    });
    EXPECT_EQ(2, std::count(out.begin(), out.end(), '\n')) << out;

    // The tree is as it was: updates from the bottom reach nothing above, updates from the top end.
    root.updateStateMatrix(scaling(1));
    grandchild.updateStateMatrix(scaling(1));
    grandchild.updateMatrix(translation(4, 0, 0), true);
    EXPECT_EQ(elements(scaling(1)), elements(root.getMatrix()));
    root.updateMatrix(translation(0, 4, 0), true);
    EXPECT_EQ(elements(translation(0, 4, 0)), elements(grandchild.getMatrix()));

    // A node shared by two parents closes no cycle.
    EXPECT_EQ("", captureStdout([&] {
        grandchild.addChild(&other);
        root.addChild(&other);
    }));
}

TEST(Hierarchy3DTest, FilesNodesByNameReplacesThemAndFilesAnUnknownNameAsNull) {
    Hierarchy3D scene;
    Node first, second;
    EXPECT_EQ(nullptr, scene.getNode("car"));
    EXPECT_EQ(nullptr, scene.getNode("car"));
    scene.addNode("car", &first);
    EXPECT_EQ(&first, scene.getNode("car"));
    scene.addNode("car", &second);
    EXPECT_EQ(&second, scene.getNode("car"));
    EXPECT_EQ(nullptr, scene.getNode("Car"));
}
