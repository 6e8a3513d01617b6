// A minimal scene graph: nodes carry a mesh, their own transform and the transform to draw with;
// a hierarchy files nodes under names. Neither owns the nodes or meshes it points to.
#pragma once

#include "Matrix.h"
#include "Mesh3D.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace vexel {

class Node {
public:
    Node();
    ~Node();

    void setMesh(Mesh3D* m);
    // Sets the node's own transform; it is also the draw transform until the next updateMatrix.
    void updateStateMatrix(Matrix m);
    // Draw transform = m * own transform; with `childs`, every descendant gets the same m.
    void updateMatrix(Matrix m, bool childs);
    // Appends a child unless that would close a cycle (h is this node or one of its ancestors).
    void addChild(Node* h);
    // Draws the mesh, if any; the caller uploads getMatrix() to its program first.
    void draw();
    Matrix getMatrix();

private:
    Matrix statematrix;
    Matrix drawmatrix;
    Mesh3D* mesh = nullptr;
    std::vector<Node*> childs;

    bool reaches(const Node* target) const;
};

class Hierarchy3D {
public:
    Hierarchy3D();
    ~Hierarchy3D();

    // Files n under id, replacing any node filed under the same id.
    void addNode(std::string id, Node* n);
    // The node filed under id; an unknown id is filed with null and null is returned.
    Node* getNode(std::string id);

private:
    Node* root = nullptr;
    std::unordered_map<std::string, Node*> all_nodes;
};

} // namespace vexel
