#include "Hierarchy3D.h"

#include <cstdio>

namespace vexel {

Node::Node() = default;

Node::~Node() = default;

void Node::setMesh(Mesh3D* m) {
    mesh = m;
}

void Node::updateStateMatrix(Matrix m) {
    statematrix = m;
    drawmatrix = m;
}

void Node::updateMatrix(Matrix m, bool childs) {
    drawmatrix = m * statematrix;
    if (!childs) return;
    for (Node* child : this->childs) child->updateMatrix(m, true);
}

void Node::addChild(Node* h) {
    // A cycle would make updateMatrix(m, true) recurse without end.
    if (h->reaches(this)) {
        std::puts("cannot add child node: it is the parent itself or one of its ancestors");
        return;
    }
    childs.push_back(h);
}

bool Node::reaches(const Node* target) const {
    if (this == target) return true;
    for (const Node* child : childs) {
        if (child->reaches(target)) return true;
    }
    return false;
}

void Node::draw() {
    if (!mesh) return;
    mesh->draw();
}

Matrix Node::getMatrix() {
    return drawmatrix;
}

Hierarchy3D::Hierarchy3D() = default;

Hierarchy3D::~Hierarchy3D() = default;

void Hierarchy3D::addNode(std::string id, Node* n) {
    all_nodes[id] = n;
}

Node* Hierarchy3D::getNode(std::string id) {
    return all_nodes[id];
}

} // namespace vexel
