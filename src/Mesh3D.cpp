#include "Mesh3D.h"

#include "GLDialect.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace vexel {

namespace {

// Skips the line's keyword and appends `count` numbers; a missing number reads as 0 so that
// the list stays aligned with the file's line numbering.
void readNumbers(char* line, std::vector<float>& list, int count) {
    char* save = nullptr;
    strtok_r(line, " \n", &save);
    for (int i = 0; i < count; i++) {
        char* token = strtok_r(nullptr, " \n", &save);
        list.push_back(token ? float(std::atof(token)) : 0.0f);
    }
}

// Drops the line end, CR-LF included, so that the last number of a line parses cleanly.
void chomp(char* line, ssize_t length) {
    while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r')) line[--length] = '\0';
}

bool inRange(int index, std::size_t count) {
    return index >= 0 && std::size_t(index) < count;
}

void copyItems(const std::vector<float>& from, int item, int size, std::vector<GLfloat>& to, int slot) {
    for (int k = 0; k < size; k++) to[size * slot + k] = from[size * item + k];
}

void uploadAttribute(GLuint buffer, GLuint location, int components, const std::vector<GLfloat>& data) {
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(data.size() * sizeof(GLfloat)), data.data(), GL_DYNAMIC_DRAW);
    glVertexAttribPointer(location, components, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(location);
}

} // namespace

Mesh3D::Mesh3D(const char* filename) : Mesh3D(ParseOnly{}, filename) {
    createOpenGLBinding();
}

Mesh3D::Mesh3D(ParseOnly, const char* filename) {
    loadOBJ(filename);
    buildMesh();
}

std::unique_ptr<Mesh3D> Mesh3D::parse(const char* filename) {
    return std::unique_ptr<Mesh3D>(new Mesh3D(ParseOnly{}, filename));
}

Mesh3D::~Mesh3D() {
    // A parsed-only mesh has no GL objects, and there may be no context to call.
    if (vertexarray == 0) return;
    glDeleteBuffers(4, buffers);
    glDeleteVertexArrays(1, &vertexarray);
    glDeleteBuffers(1, &cornerBuffer); // name 0 is silently ignored
    glDeleteVertexArrays(1, &cornerArray);
}

bool Mesh3D::reload(const char* filename) {
    Mesh3D fresh(filename);
    if (fresh.i_count == 0) return false;
    // Swapped, the old GL objects leave with `fresh` and are deleted with it.
    std::swap(vbuffer, fresh.vbuffer);
    std::swap(tbuffer, fresh.tbuffer);
    std::swap(nbuffer, fresh.nbuffer);
    std::swap(ibuffer, fresh.ibuffer);
    std::swap(vertices, fresh.vertices);
    std::swap(normals, fresh.normals);
    std::swap(textcoord, fresh.textcoord);
    std::swap(indices, fresh.indices);
    std::swap(i_count, fresh.i_count);
    std::swap(lowest, fresh.lowest);
    std::swap(highest, fresh.highest);
    std::swap(has_normals, fresh.has_normals);
    std::swap(has_texture, fresh.has_texture);
    std::swap(vertexarray, fresh.vertexarray);
    std::swap(buffers, fresh.buffers);
    std::swap(cornerArray, fresh.cornerArray);
    std::swap(cornerBuffer, fresh.cornerBuffer);
    return true;
}

void Mesh3D::draw() {
    if (GLDialect::cornersInUse()) return drawCorners();
    glBindVertexArray(vertexarray);
    glDrawElements(GL_TRIANGLES, i_count, GL_UNSIGNED_INT, nullptr);
}

// Locations 0, 1 and 2 carry the triangle's three corners, the same for its six vertices.
void Mesh3D::drawCorners() {
    if (cornerArray == 0) {
        std::vector<GLfloat> corners;
        corners.reserve(6 * vertices.size());
        for (std::size_t t = 0; t < vertices.size(); t += 9)
            for (int k = 0; k < 6; k++) corners.insert(corners.end(), &vertices[t], &vertices[t] + 9);
        glGenVertexArrays(1, &cornerArray);
        glBindVertexArray(cornerArray);
        glGenBuffers(1, &cornerBuffer);
        glBindBuffer(GL_ARRAY_BUFFER, cornerBuffer);
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(corners.size() * sizeof(GLfloat)), corners.data(), GL_STATIC_DRAW);
        for (GLuint c = 0; c < 3; c++) {
            glVertexAttribPointer(c, 3, GL_FLOAT, GL_FALSE, 9 * sizeof(GLfloat),
                                  reinterpret_cast<const void*>(3 * c * sizeof(GLfloat)));
            glEnableVertexAttribArray(c);
        }
    }
    glBindVertexArray(cornerArray);
    glDrawArrays(GL_TRIANGLES, 0, 2 * i_count);
}

bool Mesh3D::mayBeSeen(Matrix& transform) const {
    if (i_count == 0) return false;
    const GLfloat* m = transform.matrix();
    // Corners beyond each clip plane: -w <= x, y, z <= w holds for everything that is drawn,
    // so a box with all eight corners beyond the same plane is wholly out of view.
    int beyond[6] = {0, 0, 0, 0, 0, 0};
    for (int corner = 0; corner < 8; corner++) {
        double p[3];
        for (int k = 0; k < 3; k++) p[k] = (corner >> k & 1) ? highest[k] : lowest[k];
        double clip[4];
        for (int row = 0; row < 4; row++) clip[row] = m[row] * p[0] + m[4 + row] * p[1] + m[8 + row] * p[2] + m[12 + row];
        for (int axis = 0; axis < 3; axis++) {
            if (clip[axis] < -clip[3]) beyond[2 * axis]++;
            if (clip[axis] > clip[3]) beyond[2 * axis + 1]++;
        }
    }
    return std::all_of(beyond, beyond + 6, [](int count) { return count < 8; });
}

void Mesh3D::loadOBJ(const char* filename) {
    FILE* file = std::fopen(filename, "r");
    if (!file) {
        std::printf("cannot open model %s: %s\n", filename, std::strerror(errno));
        return;
    }
    // Faces are checked once the whole file is read: an index may refer to a later line.
    std::vector<std::pair<int, std::unique_ptr<MeshIndex>>> faces;
    char* line = nullptr;
    std::size_t capacity = 0;
    int number = 0;
    for (ssize_t length; (length = getline(&line, &capacity, file)) >= 0;) {
        number++;
        chomp(line, length);
        if (line[0] == 'v' && line[1] == ' ') {
            readNumbers(line, vbuffer, 3);
        } else if (line[0] == 'v' && line[1] == 't') {
            has_texture = true;
            readNumbers(line, tbuffer, 2);
        } else if (line[0] == 'v' && line[1] == 'n') {
            has_normals = true;
            readNumbers(line, nbuffer, 3);
        } else if (line[0] == 'f' && line[1] == ' ') {
            faces.emplace_back(number, std::make_unique<MeshIndex>(line));
        }
    }
    // A directory opens but fails its first read.
    if (std::ferror(file)) std::printf("cannot read model %s: %s\n", filename, std::strerror(errno));
    std::free(line);
    std::fclose(file);

    int skipped = 0, first = 0;
    for (auto& [where, face] : faces) {
        if (isValid(*face)) {
            ibuffer.push_back(std::move(face));
        } else if (skipped++ == 0) {
            first = where;
        }
    }
    if (skipped) std::printf("bad faces in model %s: %d skipped, the first on line %d\n", filename, skipped, first);
}

// Every corner needs a position; texture and normal indices are optional, but one that is
// written must name an entry that was read.
bool Mesh3D::isValid(MeshIndex& face) {
    for (int j = 0; j < 3; j++) {
        if (!inRange(face.getVertex(j), vbuffer.size() / 3)) return false;
        if (face.hasText(j) && !inRange(face.getText(j), tbuffer.size() / 2)) return false;
        if (face.hasNormal(j) && !inRange(face.getNormal(j), nbuffer.size() / 3)) return false;
    }
    return true;
}

// Every face corner becomes a vertex of its own; attributes a corner does not name stay zero.
void Mesh3D::buildMesh() {
    i_count = 3 * int(ibuffer.size());
    vertices.assign(3 * i_count, 0.0f);
    normals.assign(3 * i_count, 0.0f);
    textcoord.assign(2 * i_count, 0.0f);
    indices.resize(i_count);
    for (int i = 0; i < int(ibuffer.size()); i++) {
        MeshIndex& face = *ibuffer[i];
        for (int j = 0; j < 3; j++) {
            int a = 3 * i + j;
            indices[a] = GLuint(a);
            copyItems(vbuffer, face.getVertex(j), 3, vertices, a);
            if (has_normals && face.hasNormal(j)) copyItems(nbuffer, face.getNormal(j), 3, normals, a);
            if (has_texture && face.hasText(j)) copyItems(tbuffer, face.getText(j), 2, textcoord, a);
        }
    }
    for (std::size_t v = 0; v < vertices.size(); v++) {
        std::size_t k = v % 3;
        lowest[k] = v < 3 ? vertices[v] : std::min(lowest[k], vertices[v]);
        highest[k] = v < 3 ? vertices[v] : std::max(highest[k], vertices[v]);
    }
}

void Mesh3D::createOpenGLBinding() {
    glGenVertexArrays(1, &vertexarray);
    glBindVertexArray(vertexarray);
    glGenBuffers(4, buffers);
    uploadAttribute(buffers[0], 0, 3, vertices);
    uploadAttribute(buffers[1], 1, 3, normals);
    uploadAttribute(buffers[2], 2, 2, textcoord);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[3]);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indices.size() * sizeof(GLuint)), indices.data(),
                 GL_DYNAMIC_DRAW);
    glBindVertexArray(0);
}

} // namespace vexel
